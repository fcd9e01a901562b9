#pragma once

#include <box2d/box2d.h>

// The harness switches handed to every scene step. One process-wide
// instance lives in the shell; scenes may move the camera through it.
struct Settings
{
	b2Vec2 viewCenter{0.0f, 20.0f};
	float hz = 60.0f;
	int velocityIterations = 8;
	int positionIterations = 3;
	int drawShapes = 1;
	int drawJoints = 1;
	int drawAABBs = 0;
	int drawPairs = 0;
	int drawContactPoints = 0;
	int drawContactNormals = 0;
	int drawContactForces = 0;
	int drawFrictionForces = 0;
	int drawCOMs = 0;
	int drawStats = 0;
	int drawProfile = 0;
	int enableWarmStarting = 1;
	int enableContinuous = 1;
	int enableSubStepping = 0;
	int pause = 0;
	int singleStep = 0;
};
