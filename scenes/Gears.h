#pragma once

#include "framework/core/Test.h"

// Gear joints coupling revolute and prismatic joints: a hanging train and a
// second train whose joint relations are shown as text.
class Gears : public Test
{
public:
	Gears();
	static Test* Create();

	void Step(Settings* settings) override;

private:
	b2RevoluteJoint* joint1;
	b2RevoluteJoint* joint2;
	b2PrismaticJoint* joint3;
	b2GearJoint* joint4;
	b2GearJoint* joint5;
};
