#pragma once

#include "framework/Test.h"

// A fast spinning ball on a revolute joint with a motor and limits, and a
// ball dropped on a see-saw that turns on a second revolute joint.
class Revolute : public Test
{
public:
	Revolute();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2RevoluteJoint* GetJoint() const { return joint; }

private:
	b2RevoluteJoint* joint;
};
