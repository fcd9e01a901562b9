#pragma once

#include "framework/core/Test.h"

// A box driven along a slanted prismatic joint with a motor and limits.
class Prismatic : public Test
{
public:
	Prismatic();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

private:
	b2PrismaticJoint* joint;
};
