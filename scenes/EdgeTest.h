#pragma once

#include "framework/core/Test.h"

// A hilly run of edges that know their neighbours, so a ball and a box
// cross the seams without catching.
class EdgeTest : public Test
{
public:
	EdgeTest();
	static Test* Create();
};
