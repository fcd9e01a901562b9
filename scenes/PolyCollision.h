#pragma once

#include "framework/core/Test.h"
#include "scenes/KeyboardPose.h"

// Two boxes and the contact manifold between them; the keys move the second
// box. No bodies and no world step, so pausing changes nothing here.
class PolyCollision : public Test
{
public:
	PolyCollision();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	int GetPointCount() const { return manifoldPointCount; }
	const b2Transform& GetTransformB() const { return poseB.GetTransform(); }

private:
	b2PolygonShape polygonA;
	b2PolygonShape polygonB;
	b2Transform transformA;
	KeyboardPose poseB;
	int manifoldPointCount;
};
