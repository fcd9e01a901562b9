#pragma once

#include "framework/core/Test.h"

// A closed table with two motorised flippers and a fast ball.
class Pinball : public Test
{
public:
	Pinball();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;
	void KeyboardUp(unsigned char key) override;

	b2RevoluteJoint* GetLeftJoint() const { return leftJoint; }
	b2RevoluteJoint* GetRightJoint() const { return rightJoint; }
	b2Body* GetBall() const { return ball; }

private:
	b2RevoluteJoint* leftJoint;
	b2RevoluteJoint* rightJoint;
	b2Body* ball;
	bool button;
};
