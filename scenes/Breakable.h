#pragma once

#include "framework/core/Test.h"

// A body of two boxes that splits into two bodies the first time it is hit
// hard enough.
class Breakable : public Test
{
public:
	// Largest normal impulse the body survives in one contact.
	static constexpr float BreakImpulse = 40.0f;

	Breakable();
	static Test* Create();

	void Step(Settings* settings) override;
	void PostSolve(b2Contact* contact, const b2ContactImpulse* impulse) override;

	bool IsBroken() const { return broken; }
	bool IsBreakRequested() const { return breakRequested; }
	b2Body* GetBody() const { return body1; }

private:
	void Break();

	b2Body* body1;
	b2Vec2 velocity;
	float angularVelocity;
	b2PolygonShape shape1;
	b2PolygonShape shape2;
	b2Fixture* piece1;
	b2Fixture* piece2;
	bool breakRequested;
	bool broken;
};
