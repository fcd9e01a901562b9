#pragma once

#include "framework/core/Test.h"

// A pendulum knocks over a row of dominoes, which tip a see-saw plank that
// lifts a bar and opens a lidded box of balls.
class Dominos : public Test
{
public:
	static constexpr int DominoCount = 10;

	Dominos();
	static Test* Create();

	b2Body* GetFirstDomino() const { return firstDomino; }

private:
	b2Body* firstDomino;
};
