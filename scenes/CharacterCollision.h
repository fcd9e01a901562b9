#pragma once

#include "framework/core/Test.h"

// Character shapes of several kinds among edges, chains and aligned boxes;
// one small ball is driven to the left across them.
class CharacterCollision : public Test
{
public:
	CharacterCollision();
	static Test* Create();

	void Step(Settings* settings) override;

private:
	b2Body* character;
};
