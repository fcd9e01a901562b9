#include "framework/core/StepProfile.h"

#include "framework/core/DebugDraw.h"

void StepProfile::Add(const b2Profile& p)
{
	maxProfile.step = b2Max(maxProfile.step, p.step);
	maxProfile.collide = b2Max(maxProfile.collide, p.collide);
	maxProfile.solve = b2Max(maxProfile.solve, p.solve);
	maxProfile.solveInit = b2Max(maxProfile.solveInit, p.solveInit);
	maxProfile.solveVelocity = b2Max(maxProfile.solveVelocity, p.solveVelocity);
	maxProfile.solvePosition = b2Max(maxProfile.solvePosition, p.solvePosition);
	maxProfile.solveTOI = b2Max(maxProfile.solveTOI, p.solveTOI);
	maxProfile.broadphase = b2Max(maxProfile.broadphase, p.broadphase);

	totalProfile.step += p.step;
	totalProfile.collide += p.collide;
	totalProfile.solve += p.solve;
	totalProfile.solveInit += p.solveInit;
	totalProfile.solveVelocity += p.solveVelocity;
	totalProfile.solvePosition += p.solvePosition;
	totalProfile.solveTOI += p.solveTOI;
	totalProfile.broadphase += p.broadphase;
}

void StepProfile::Draw(DebugDraw& draw, const b2Profile& p, int stepCount, int* textLine, int lineStep) const
{
	b2Profile average{};
	if (stepCount > 0)
	{
		const float scale = 1.0f / stepCount;
		average.step = scale * totalProfile.step;
		average.collide = scale * totalProfile.collide;
		average.solve = scale * totalProfile.solve;
		average.solveInit = scale * totalProfile.solveInit;
		average.solveVelocity = scale * totalProfile.solveVelocity;
		average.solvePosition = scale * totalProfile.solvePosition;
		average.solveTOI = scale * totalProfile.solveTOI;
		average.broadphase = scale * totalProfile.broadphase;
	}

	const struct
	{
		const char* format;
		float current, average, max;
	} lines[] = {
		{"step [ave] (max) = %5.2f [%6.2f] (%6.2f)", p.step, average.step, maxProfile.step},
		{"collide [ave] (max) = %5.2f [%6.2f] (%6.2f)", p.collide, average.collide, maxProfile.collide},
		{"solve [ave] (max) = %5.2f [%6.2f] (%6.2f)", p.solve, average.solve, maxProfile.solve},
		{"solve init [ave] (max) = %5.2f [%6.2f] (%6.2f)", p.solveInit, average.solveInit, maxProfile.solveInit},
		{"solve velocity [ave] (max) = %5.2f [%6.2f] (%6.2f)", p.solveVelocity, average.solveVelocity,
			maxProfile.solveVelocity},
		{"solve position [ave] (max) = %5.2f [%6.2f] (%6.2f)", p.solvePosition, average.solvePosition,
			maxProfile.solvePosition},
		{"solveTOI [ave] (max) = %5.2f [%6.2f] (%6.2f)", p.solveTOI, average.solveTOI, maxProfile.solveTOI},
		{"broad-phase [ave] (max) = %5.2f [%6.2f] (%6.2f)", p.broadphase, average.broadphase,
			maxProfile.broadphase},
	};
	for (const auto& line : lines)
	{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
		draw.DrawString(5, *textLine, line.format, line.current, line.average, line.max);
#pragma GCC diagnostic pop
		*textLine += lineStep;
	}
}
