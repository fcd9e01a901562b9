#pragma once

#include "framework/core/Test.h"

// A row of balls dropped together, from dead to perfectly elastic.
class VaryingRestitution : public Test
{
public:
	VaryingRestitution();
	static Test* Create();
};
