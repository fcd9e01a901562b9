#pragma once

#include "framework/core/Test.h"

// Chains of planks held together by rigid and soft weld joints, some fixed
// to the ground at one end, with a few shapes dropped on them.
class Cantilever : public Test
{
public:
	Cantilever();
	static Test* Create();
};
