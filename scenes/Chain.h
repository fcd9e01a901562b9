#pragma once

#include "framework/core/Test.h"

// Thirty links hanging from one pin, falling as a chain.
class Chain : public Test
{
public:
	static constexpr int LinkCount = 30;

	Chain();
	static Test* Create();

	b2Body* GetLastLink() const { return lastLink; }

private:
	b2Body* lastLink;
};
