#pragma once

#include "framework/core/Test.h"

// A weightless arena with a ship steered by torque and a thrust force, and
// boxes held back by friction joints so they slide as if on a table.
class ApplyForce : public Test
{
public:
	ApplyForce();
	static Test* Create();

	void Keyboard(unsigned char key) override;

	b2Body* GetShip() const { return body; }

private:
	b2Body* body;
};
