#pragma once

#include "framework/core/Test.h"

// A platform on a revolute and a prismatic joint, carrying a payload, that
// can be switched between dynamic, static and kinematic.
class BodyTypes : public Test
{
public:
	BodyTypes();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2Body* GetPlatform() const { return platform; }

private:
	b2Body* attachment;
	b2Body* platform;
	float speed;
};
