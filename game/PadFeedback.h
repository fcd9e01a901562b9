#pragma once

#include <string>

class Archer;
class Knight;
class SceneContext;

// What the players get back from their pads: a short shake of a fighter's
// pad when it takes a hit, a long one when it goes down, and a notice of
// the last pad plugged in or pulled out.
class PadFeedback
{
public:
	// Once a frame, after its physics: shakes the pads of the fighters hurt
	// or downed since the last call. The knight's pad is slot 0 unless
	// swapPads; online, only this machine's own fighter has a pad here, and
	// a replay shakes nobody's hands.
	void Shake(const Knight& knight, const Archer& archer, bool swapPads, const SceneContext& context);
	// The last pad plugged in or pulled out, for a few seconds after; empty
	// the rest of the time.
	static std::string Notice();

private:
	// Each fighter's harm and fall as the last frame left them, knight
	// first: a change is what shakes its pad.
	struct Felt
	{
		float hurt = 0.0f;
		bool down = false;
	};
	Felt felt[2];
};
