#pragma once

#include "framework/core/Test.h"
#include "scenes/KeyboardPose.h"

// The closest points of two polygons and the distance between them; the
// keys move the second polygon. No bodies: the shapes are drawn directly.
class DistanceTest : public Test
{
public:
	DistanceTest();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	float GetDistance() const { return distance; }

private:
	b2PolygonShape polygonA;
	b2PolygonShape polygonB;
	b2Transform transformA;
	KeyboardPose poseB;
	float distance;
};
