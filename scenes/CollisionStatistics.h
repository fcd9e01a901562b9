#pragma once

#include <box2d/box2d.h>

#include "framework/core/DebugDraw.h"

// The library's process-wide distance and time-of-impact counters. They are
// exported by the library but its headers do not declare them.
extern int32 b2_gjkCalls;
extern int32 b2_gjkIters;
extern int32 b2_gjkMaxIters;
extern int32 b2_toiCalls;
extern int32 b2_toiIters;
extern int32 b2_toiMaxIters;
extern int32 b2_toiRootIters;
extern int32 b2_toiMaxRootIters;

// Shows how hard the continuous collision had to work.
class CollisionStatistics
{
public:
	// Zeroes the counters, so a scene reports only its own work.
	static void Reset();
	// Writes the three counter lines at x 5 from textLine on.
	static void Draw(DebugDraw& debugDraw, int& textLine);
};
