#pragma once

#include "framework/core/Test.h"

// Finds the fixtures of moving bodies that overlap a circle, up to MaxCount
// of them, and outlines them.
class PolyShapesCallback : public b2QueryCallback
{
public:
	static constexpr int MaxCount = 4;

	PolyShapesCallback(const b2CircleShape& circle, const b2Transform& transform, DebugDraw* draw);

	bool ReportFixture(b2Fixture* fixture) override;

	int GetCount() const { return count; }

private:
	void DrawFixture(b2Fixture* fixture);

	b2CircleShape circle;
	b2Transform transform;
	DebugDraw* draw;
	int count;
};

// Bodies of five shapes dropped on demand, some switched on and off, and a
// circle that highlights the shapes it overlaps.
class PolyShapes : public Test
{
public:
	static constexpr int MaxBodies = 256;
	static constexpr int PrototypeCount = 5;

	PolyShapes();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2Body* GetBody(int slot) const { return bodies[slot]; }
	int GetHighlightCount() const { return highlightCount; }

private:
	// Drops a body of prototype index into the next slot, replacing what
	// was there.
	void Drop(int index);
	// Destroys the body in the first occupied slot, if any.
	void DestroyBody();

	int bodyIndex;
	b2Body* bodies[MaxBodies];
	b2PolygonShape polygons[PrototypeCount - 1];
	b2CircleShape circle;
	int highlightCount;
};
