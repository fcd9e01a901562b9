#pragma once

#include "framework/core/Test.h"

// A rope bridge of thirty planks pinned to the ground at both ends, with a
// few shapes dropped on it.
class Bridge : public Test
{
public:
	static constexpr int PlankCount = 30;

	Bridge();
	static Test* Create();

	b2Body* GetMiddle() const { return middle; }

private:
	b2Body* middle;
};
