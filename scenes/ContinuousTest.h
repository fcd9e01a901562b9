#pragma once

#include "scenes/ContinuousCollisionScene.h"

// A thin bar thrown spinning at the ground at high speed: continuous
// collision has to catch it between two steps.
class ContinuousTest : public ContinuousCollisionScene
{
public:
	ContinuousTest();
	static Test* Create();

	b2Body* GetBar() const { return bar; }

private:
	b2Body* bar;
};
