#pragma once

#include <box2d/box2d.h>

#include <vector>

#include "tools/ArenaMap.h"

class Agent;
class Archer;
class Contest;
class Knight;

// Plays both fighters of a running game the way a pair of players would:
// it reads the game (the fighters, the zombies and the arena's tiles) every
// frame and answers with what each pad holds. Each fighter walks, drops and
// jumps along the arena's standing tiles to the nearest one from which a
// zombie can be seen, then fights what comes: the knight swings its mace at
// zombies close by, the archer takes its aiming stance and shoots along its
// stick at any zombie in range.
class ArenaBot
{
public:
	// A pad as the bot holds it: the stick from -1 to 1 on each axis (y
	// downward, as pads report it) and the fighter's three buttons.
	struct Pad
	{
		float stickX = 0.0f;
		float stickY = 0.0f;
		bool attack = false;
		bool jump = false;
		bool guard = false;
	};

	explicit ArenaBot(const Contest& game);

	// This frame's pads of the knight and the archer.
	void Think(const Contest& game, Pad* knight, Pad* archer);

private:
	// One fighter's way and the buttons it is in the middle of pressing.
	struct Fighter
	{
		std::vector<ArenaMap::Step> route;
		int planAge = 0;
		ArenaMap::Cell lastCell;
		int framesOnCell = 0;
		// Frames the jump button stays held, then stays up.
		int jumpHeld = 0;
		int jumpRest = 0;
		int attackRest = 0;
		int fireHeld = 0;
		int fireRest = 0;
	};

	// The nearest zombie in range that the ground does not hide from
	// `from`; null when none.
	const Agent* Threat(const b2Vec2& from, float range) const;
	bool GroundClear(const b2Vec2& from, const b2Vec2& to) const;
	void Walk(Fighter& fighter, const Agent& agent, Pad* pad);
	void Plan(Fighter& fighter, const ArenaMap::Cell& cell);
	void Jump(Fighter& fighter, Pad* pad);
	void Swing(Fighter& fighter, const Knight& knight, const Agent& zombie, Pad* pad);
	void Shoot(Fighter& fighter, const Archer& archer, const Agent& zombie, Pad* pad);

	ArenaMap map;
	const Contest* game = nullptr;
	std::vector<const Agent*> zombies;
	Fighter knightState;
	Fighter archerState;
};
