#pragma once

#include "framework/core/Test.h"

// A motor-driven crank pushes a piston up and down a slide, lifting a box.
class SliderCrank : public Test
{
public:
	SliderCrank();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2RevoluteJoint* GetCrankJoint() const { return crankJoint; }
	b2PrismaticJoint* GetPistonJoint() const { return pistonJoint; }

private:
	b2RevoluteJoint* crankJoint;
	b2PrismaticJoint* pistonJoint;
};
