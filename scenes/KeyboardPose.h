#pragma once

#include <box2d/box2d.h>

// Where a bare shape lies, moved by the keys: a and d shift it left and
// right, s and w down and up, q and e turn it anticlockwise and clockwise.
class KeyboardPose
{
public:
	KeyboardPose(const b2Vec2& position, float angle);

	// Applies one of the movement keys; any other key changes nothing.
	void Keyboard(unsigned char key);

	const b2Transform& GetTransform() const { return transform; }

private:
	b2Vec2 position;
	float angle;
	b2Transform transform;
};
