#pragma once

#include "framework/core/Test.h"

// Circles bouncing about without gravity inside a closed box of edges.
class Confined : public Test
{
public:
	Confined();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	int GetCircleCount() const { return circleCount; }

private:
	void CreateCircle();

	int circleCount;
};
