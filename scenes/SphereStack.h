#pragma once

#include "framework/core/Test.h"

// A column of balls thrown down onto the ground together.
class SphereStack : public Test
{
public:
	SphereStack();
	static Test* Create();
};
