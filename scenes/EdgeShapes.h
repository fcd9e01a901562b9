#pragma once

#include "framework/core/Test.h"
#include "scenes/ShapePrototypes.h"

// Shapes dropped on a wavy ground of edges, and a turning ray that finds the
// nearest of them.
class EdgeShapes : public Test
{
public:
	// Keeps the nearest fixture the ray crosses.
	class EdgeShapesCallback : public b2RayCastCallback
	{
	public:
		float ReportFixture(b2Fixture* fixture, const b2Vec2& point, const b2Vec2& normal, float fraction) override;

		b2Fixture* fixture = nullptr;
		b2Vec2 point{0.0f, 0.0f};
		b2Vec2 normal{0.0f, 0.0f};
	};

	EdgeShapes();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	int GetBodyCount() const { return bodies.CountLive(); }
	int GetGroundEdgeCount() const { return groundEdgeCount; }

private:
	ShapePrototypes prototypes;
	DroppedBodies bodies;
	float angle;
	int groundEdgeCount;
};
