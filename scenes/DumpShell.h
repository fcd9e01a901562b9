#pragma once

#include "framework/core/Test.h"

// A weightless scene rebuilt from literal values as a world dump would
// write them: two damped bodies on a prismatic and a revolute joint inside
// a box of edges.
class DumpShell : public Test
{
public:
	DumpShell();
	static Test* Create();
};
