#pragma once

#include "framework/core/Test.h"

// A fast box ploughs into a cloud of 400 small circles without gravity: a
// burst of new contact pairs for the broad phase.
class AddPair : public Test
{
public:
	static constexpr int CircleCount = 400;

	AddPair();
	static Test* Create();
};
