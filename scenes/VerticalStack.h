#pragma once

#include "framework/core/Test.h"

// Five tall columns of boxes next to a wall, and a fast bullet to shoot
// into them.
class VerticalStack : public Test
{
public:
	VerticalStack();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2Body* GetBullet() const { return bullet; }

private:
	b2Body* bullet;
};
