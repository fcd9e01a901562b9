#include "tools/ArenaBot.h"

#include <algorithm>
#include <cmath>
#include <cfloat>

#include "game/Contest.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"

namespace
{
// How far each fighter reaches: the mace swings about the knight, arrows
// fly far but drop.
constexpr float SwingRange = 8.0f;
constexpr float ShotRange = 30.0f;
// A zombie this close to a standing tile, in plain view, comes to a fighter
// standing there.
constexpr float HuntRange = 25.0f;
// A route is planned again this often, as the zombies move.
constexpr int ReplanFrames = 60;
// A fighter on the same tile this long while walking is stuck: it jumps.
constexpr int StuckFrames = 120;
// How close to its take-off tile's centre a fighter jumps.
constexpr float TakeOffTolerance = 0.8f;
// How close to a tile's centre counts as there when walking.
constexpr float ArriveTolerance = 0.3f;
// Button timings, in frames: a jump held to its full height, the rests
// between presses so each press reads as a new one.
constexpr int JumpHoldFrames = 12;
constexpr int ButtonRest = 3;
constexpr int ShotPeriod = 6;
// A light push on the stick: it turns a fighter without walking it far.
constexpr float TurnStick = 0.2f;
constexpr float Gravity = 30.0f;

float Sign(float value, float deadBand)
{
	return value > deadBand ? 1.0f : (value < -deadBand ? -1.0f : 0.0f);
}

b2Vec2 PositionOf(const Agent& agent)
{
	return agent.fixture->GetBody()->GetPosition();
}

// Answers whether the ground's edges cross a ray; every other fixture is
// passed through.
class GroundRay : public b2RayCastCallback
{
public:
	float ReportFixture(b2Fixture* fixture, const b2Vec2&, const b2Vec2&, float) override
	{
		if ((GameObject::FlagsOf(fixture) & GroundFlag) == 0)
		{
			return -1.0f;
		}
		hit = true;
		return 0.0f;
	}

	bool hit = false;
};

// Presses a button for one frame, then leaves it up for rest frames.
bool Tap(int& rest, int period)
{
	if (rest > 0)
	{
		--rest;
		return false;
	}
	rest = period;
	return true;
}
} // namespace

ArenaBot::ArenaBot(const Contest& game)
	: map(game.GetGround())
{
}

void ArenaBot::Think(const Contest& running, Pad* knightPad, Pad* archerPad)
{
	game = &running;
	zombies.clear();
	for (const GameObject* object : running.GetGameWorld().objects)
	{
		if (object->kind == KindZombie && !object->Has(DyingFlag) && !object->Has(DeadFlag))
		{
			zombies.push_back(static_cast<const Agent*>(object));
		}
	}
	*knightPad = Pad();
	*archerPad = Pad();

	const Knight& knight = *running.GetKnight();
	if (!knight.Has(DyingFlag))
	{
		const Agent* zombie = Threat(PositionOf(knight), SwingRange);
		if (zombie != nullptr)
		{
			Swing(knightState, knight, *zombie, knightPad);
		}
		else
		{
			Walk(knightState, knight, knightPad);
		}
		Jump(knightState, knightPad);
	}

	const Archer& archer = *running.GetArcher();
	if (!archer.Has(DyingFlag))
	{
		const Agent* zombie = Threat(PositionOf(archer), ShotRange);
		if (zombie != nullptr)
		{
			Shoot(archerState, archer, *zombie, archerPad);
		}
		else if (!archer.bowDown)
		{
			// Out of the stance before walking on: a centred stick lowers an
			// aimed bow, a tap of the trigger one never aimed.
			archerPad->attack = !archer.aimGiven && Tap(archerState.fireRest, ButtonRest);
		}
		else
		{
			Walk(archerState, archer, archerPad);
		}
		Jump(archerState, archerPad);
	}
}

const Agent* ArenaBot::Threat(const b2Vec2& from, float range) const
{
	const Agent* nearest = nullptr;
	float nearestDistance = range;
	for (const Agent* zombie : zombies)
	{
		const b2Vec2 at = PositionOf(*zombie);
		const float distance = b2Distance(from, at);
		if (distance < nearestDistance && GroundClear(from, at))
		{
			nearest = zombie;
			nearestDistance = distance;
		}
	}
	return nearest;
}

bool ArenaBot::GroundClear(const b2Vec2& from, const b2Vec2& to) const
{
	if (b2DistanceSquared(from, to) < b2_epsilon)
	{
		return true;
	}
	GroundRay ray;
	game->GetWorld()->RayCast(&ray, from, to);
	return !ray.hit;
}

void ArenaBot::Plan(Fighter& fighter, const ArenaMap::Cell& cell)
{
	fighter.planAge = 0;
	// Zombies close by first; when none is in view of any reachable tile,
	// any zombie in view at all: a zombie sees as far as the ground lets it.
	for (const float range : {HuntRange, FLT_MAX})
	{
		fighter.route = map.Route(cell, [this, range](const ArenaMap::Cell& candidate) {
			const b2Vec2 centre = ArenaMap::Centre(candidate);
			for (const Agent* zombie : zombies)
			{
				const b2Vec2 at = PositionOf(*zombie);
				if (b2Distance(centre, at) < range && GroundClear(centre, at))
				{
					return true;
				}
			}
			return false;
		});
		if (!fighter.route.empty())
		{
			return;
		}
	}
}

void ArenaBot::Walk(Fighter& fighter, const Agent& agent, Pad* pad)
{
	const b2Vec2 position = PositionOf(agent);
	const ArenaMap::Cell cell = agent.groundTimer > 0 ? map.StandingCellAt(position) : ArenaMap::Cell();
	if (cell.x >= 0)
	{
		fighter.framesOnCell = cell == fighter.lastCell ? fighter.framesOnCell + 1 : 0;
		fighter.lastCell = cell;
		const bool onRoute = std::any_of(fighter.route.begin(), fighter.route.end(),
			[&cell](const ArenaMap::Step& step) { return step.to == cell; });
		if (!onRoute || fighter.planAge >= ReplanFrames)
		{
			Plan(fighter, cell);
		}
	}
	++fighter.planAge;
	const auto here = std::find_if(fighter.route.begin(), fighter.route.end(),
		[&fighter](const ArenaMap::Step& step) { return step.to == fighter.lastCell; });
	if (here == fighter.route.end() || here + 1 == fighter.route.end())
	{
		return;
	}
	const ArenaMap::Step& next = *(here + 1);
	const float targetX = ArenaMap::Centre(next.to).x;
	const bool grounded = agent.onGround;
	if (next.move == ArenaMap::Move::Jump && grounded)
	{
		const float takeOff = ArenaMap::Centre(fighter.lastCell).x - position.x;
		if (std::fabs(takeOff) > TakeOffTolerance)
		{
			pad->stickX = Sign(takeOff, 0.0f);
			return;
		}
		fighter.jumpHeld = std::max(fighter.jumpHeld, fighter.jumpRest == 0 ? JumpHoldFrames : 0);
	}
	pad->stickX = Sign(targetX - position.x, ArriveTolerance);
	if (fighter.framesOnCell > StuckFrames && grounded)
	{
		fighter.framesOnCell = 0;
		fighter.jumpHeld = std::max(fighter.jumpHeld, fighter.jumpRest == 0 ? JumpHoldFrames : 0);
	}
}

void ArenaBot::Jump(Fighter& fighter, Pad* pad)
{
	if (fighter.jumpHeld > 0)
	{
		pad->jump = true;
		if (--fighter.jumpHeld == 0)
		{
			fighter.jumpRest = ButtonRest;
		}
	}
	else if (fighter.jumpRest > 0)
	{
		--fighter.jumpRest;
	}
}

void ArenaBot::Swing(Fighter& fighter, const Knight& knight, const Agent& zombie, Pad* pad)
{
	const float dx = PositionOf(zombie).x - PositionOf(knight).x;
	pad->stickX = Sign(dx, 0.0f) * (std::fabs(dx) > SwingRange / 2.0f ? 1.0f : TurnStick);
	pad->attack = !knight.attacking && Tap(fighter.attackRest, ButtonRest);
}

void ArenaBot::Shoot(Fighter& fighter, const Archer& archer, const Agent& zombie, Pad* pad)
{
	if (archer.bowDown)
	{
		// Held until the bow comes up: a release before that would loose a
		// quick shot the other way.
		pad->attack = true;
		return;
	}
	// Aimed above the zombie by the arrow's drop on the way.
	b2Vec2 aim = PositionOf(zombie) - PositionOf(archer);
	const float flight = aim.Length() / Archer::ArrowSpeed;
	aim.y += 0.5f * Gravity * flight * flight;
	aim.Normalize();
	pad->stickX = aim.x;
	pad->stickY = -aim.y;
	if (archer.drawLatch)
	{
		// The release that ends the draw shoots nothing; it waits for the
		// aim to be taken.
		pad->attack = !archer.aimGiven;
		return;
	}
	pad->attack = Tap(fighter.fireRest, ShotPeriod);
}
