#pragma once

#include "framework/core/Test.h"

// A fast spinning ball on a revolute joint with a motor and limits, and a
// ball dropped on a see-saw that turns on a second revolute joint.
class Revolute : public Test
{
public:
	Revolute();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2RevoluteJoint* GetJoint() const { return joint; }

private:
	// The joint angle is the ball's own angle, which keeps counting whole
	// turns while the limit is off; the limit would then drive the ball back
	// through all of them, against the motor. Turning the ball by whole
	// turns changes nothing in the world but that count, so it is wound to
	// the turn nearest the allowed range before the limit comes back on.
	void WindIntoLimitTurn();

	b2RevoluteJoint* joint;
};
