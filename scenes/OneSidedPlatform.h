#pragma once

#include "framework/core/Test.h"

// A platform that a ball passes through from below and lands on from above.
class OneSidedPlatform : public Test
{
public:
	OneSidedPlatform();
	static Test* Create();

	void Step(Settings* settings) override;
	void PreSolve(b2Contact* contact, const b2Manifold* oldManifold) override;

	b2Body* GetCharacter() const { return character->GetBody(); }
	// Height of the platform's upper face.
	float GetTop() const { return top; }

private:
	float radius;
	float top;
	b2Fixture* platform;
	b2Fixture* character;
};
