#pragma once

#include <box2d/box2d.h>

class DebugDraw;

// The world's step times over a scene's life: the longest and the sum of
// each part, for the profile lines (current, average and longest).
class StepProfile
{
public:
	// One step's times.
	void Add(const b2Profile& step);
	// The profile lines for the current step's times after stepCount steps,
	// from window row *textLine down, lineStep apart; *textLine moves past
	// them.
	void Draw(DebugDraw& draw, const b2Profile& current, int stepCount, int* textLine, int lineStep) const;

private:
	b2Profile maxProfile{};
	b2Profile totalProfile{};
};
