#pragma once

#include "framework/core/Test.h"

// Adds, removes and switches to a sensor a second fixture of a live body.
class ShapeEditing : public Test
{
public:
	ShapeEditing();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2Body* GetBody() const { return body; }

private:
	b2Body* body;
	b2Fixture* fixture2;
	bool sensor;
};
