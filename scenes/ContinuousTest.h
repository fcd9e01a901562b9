#pragma once

#include "framework/Test.h"

// A thin bar thrown spinning at the ground at high speed: continuous
// collision has to catch it between two steps.
class ContinuousTest : public Test
{
public:
	ContinuousTest();
	static Test* Create();

	void Step(Settings* settings) override;

	b2Body* GetBar() const { return bar; }

private:
	b2Body* bar;
};
