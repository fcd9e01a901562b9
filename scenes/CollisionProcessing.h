#pragma once

#include "framework/core/Test.h"

// Six shapes fall on each other; whenever two of them touch, the lighter one
// is destroyed after the step. Shows safe body removal after contacts.
class CollisionProcessing : public Test
{
public:
	// Most bodies marked for removal in one step.
	static constexpr int MaxNuke = 6;

	CollisionProcessing();
	static Test* Create();

	void Step(Settings* settings) override;
};
