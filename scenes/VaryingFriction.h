#pragma once

#include "framework/core/Test.h"

// Five boxes of falling friction slide down a zig-zag of ramps; the
// stickiest stops on the first ramp, the slipperiest reaches the ground.
class VaryingFriction : public Test
{
public:
	static constexpr int BoxCount = 5;

	VaryingFriction();
	static Test* Create();

	b2Body* GetBox(int i) const { return boxes[i]; }

private:
	b2Body* boxes[BoxCount];
};
