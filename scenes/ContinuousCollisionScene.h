#pragma once

#include "framework/core/Test.h"

// Base of the scenes that throw fast bodies at a short ground with a small
// post on it, showing how hard continuous collision had to work to stop them
// passing through.
class ContinuousCollisionScene : public Test
{
public:
	ContinuousCollisionScene();

	void Step(Settings* settings) override;
};
