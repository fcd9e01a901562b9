#pragma once

#include "framework/core/Test.h"

// A car on wheel joints with springs, driven over hills, a teeter, a
// bridge, a few boxes and a jump.
class Car : public Test
{
public:
	Car();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2WheelJoint* GetSpring(int i) const { return i == 0 ? spring1 : spring2; }

private:
	// Gives both springs the current frequency and damping ratio.
	void ApplySpring();

	b2Body* car;
	b2Body* wheel1;
	b2Body* wheel2;
	float hz;
	float zeta;
	float speed;
	b2WheelJoint* spring1;
	b2WheelJoint* spring2;
};
