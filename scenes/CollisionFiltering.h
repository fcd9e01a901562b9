#pragma once

#include "framework/core/Test.h"

// Pairs of triangles, boxes and circles whose group indices and category
// bits decide who collides with whom.
class CollisionFiltering : public Test
{
public:
	CollisionFiltering();
	static Test* Create();
};
