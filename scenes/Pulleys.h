#pragma once

#include "framework/core/Test.h"

// Two boxes hanging on a pulley joint with a ratio.
class Pulleys : public Test
{
public:
	Pulleys();
	static Test* Create();

	void Step(Settings* settings) override;

private:
	b2PulleyJoint* joint;
};
