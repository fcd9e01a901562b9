#pragma once

#include "framework/core/Test.h"

// A slowly turning box frame that is filled with small boxes, one per step,
// until it holds MaxBoxes of them.
class Tumbler : public Test
{
public:
	static constexpr int MaxBoxes = 800;

	Tumbler();
	static Test* Create();

	void Step(Settings* settings) override;

	int GetBoxCount() const { return boxCount; }

private:
	int boxCount;
};
