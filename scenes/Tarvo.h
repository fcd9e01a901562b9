#pragma once

#include "framework/core/Test.h"

// A walking machine: a motor turns a crank wheel that drives six linkage
// legs in three phases.
class Tarvo : public Test
{
public:
	Tarvo();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2Body* GetChassis() const { return chassis; }
	b2RevoluteJoint* GetMotorJoint() const { return motorJoint; }

private:
	void CreateLeg(float s, const b2Vec2& wheelAnchor);

	b2Body* chassis;
	b2Body* wheel;
	b2RevoluteJoint* motorJoint;
	bool motorOn;
	float motorSpeed;
	b2Vec2 offset;
};
