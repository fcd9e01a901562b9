#pragma once

#include "framework/core/Test.h"

// Four boxes hung in a web of soft distance joints; bodies and joints can be
// removed one at a time.
class Web : public Test
{
public:
	static constexpr int BodyCount = 4;
	static constexpr int JointCount = 8;

	Web();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;
	void JointDestroyed(b2Joint* joint) override;

	b2Body* GetBody(int i) const { return bodies[i]; }
	b2Joint* GetJoint(int i) const { return joints[i]; }

private:
	b2Body* bodies[BodyCount];
	b2Joint* joints[JointCount];
};
