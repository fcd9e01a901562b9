#pragma once

#include "framework/core/Test.h"

// A small box sweeping through a long one, stopped at the moment they first
// touch. No bodies: the shapes and sweeps are computed and drawn directly.
class TimeOfImpact : public Test
{
public:
	TimeOfImpact();
	static Test* Create();

	void Step(Settings* settings) override;

	// Fraction of the sweep at which the boxes touch, from the last step.
	float GetToi() const { return toi; }

private:
	b2PolygonShape shapeA;
	b2PolygonShape shapeB;
	b2Sweep sweepA;
	b2Sweep sweepB;
	float toi;
};
