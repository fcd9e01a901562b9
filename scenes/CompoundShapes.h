#pragma once

#include "framework/core/Test.h"

// Bodies made of several fixtures: circle pairs, crossed boxes, a triangle
// pair, and a bucket to hold them.
class CompoundShapes : public Test
{
public:
	static constexpr int RowCount = 10;

	CompoundShapes();
	static Test* Create();
};
