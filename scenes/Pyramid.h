#pragma once

#include "framework/core/Test.h"

// Twenty rows of boxes stacked into a pyramid: a test of stable stacking.
class Pyramid : public Test
{
public:
	Pyramid();
	static Test* Create();

	// The single box of the top row.
	b2Body* GetTopBox() const { return topBox; }

private:
	b2Body* topBox;
};
