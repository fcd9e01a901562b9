#pragma once

#include "framework/core/Test.h"

// A pyramid of boxes on a ground made of 2000 small squares: a stress test
// of the broad phase with many static fixtures on one body.
class Tiles : public Test
{
public:
	Tiles();
	static Test* Create();

	void Step(Settings* settings) override;

	int GetFixtureCount() const { return fixtureCount; }

private:
	int fixtureCount;
	float createTime;
};
