#include "scenes/CollisionStatistics.h"

#include "framework/core/Test.h"

namespace
{
// Average of a total over a count; no calls yet means no iterations.
float Average(int32 total, int32 count)
{
	return count > 0 ? static_cast<float>(total) / count : 0.0f;
}
} // namespace

void CollisionStatistics::Reset()
{
	b2_gjkCalls = 0;
	b2_gjkIters = 0;
	b2_gjkMaxIters = 0;
	b2_toiCalls = 0;
	b2_toiIters = 0;
	b2_toiMaxIters = 0;
	b2_toiRootIters = 0;
	b2_toiMaxRootIters = 0;
}

void CollisionStatistics::Draw(DebugDraw& debugDraw, int& textLine)
{
	debugDraw.DrawString(5, textLine, "gjk calls = %d, ave gjk iters = %3.1f, max gjk iters = %d", b2_gjkCalls,
		Average(b2_gjkIters, b2_gjkCalls), b2_gjkMaxIters);
	textLine += Test::TextLineStep;

	debugDraw.DrawString(5, textLine, "toi calls = %d, ave toi iters = %3.1f, max toi iters = %d", b2_toiCalls,
		Average(b2_toiIters, b2_toiCalls), b2_toiMaxIters);
	textLine += Test::TextLineStep;

	debugDraw.DrawString(5, textLine, "ave toi root iters = %3.1f, max toi root iters = %d",
		Average(b2_toiRootIters, b2_toiCalls), b2_toiMaxRootIters);
	textLine += Test::TextLineStep;
}
