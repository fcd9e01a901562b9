#include "game/ContestCamera.h"

#include "game/objects/Agent.h"

namespace
{
// Moves value towards target by at most step.
float Approach(float value, float target, float step)
{
	if (target - value >= step)
	{
		return value + step;
	}
	if (value - target >= step)
	{
		return value - step;
	}
	return target;
}

b2Vec2 PositionOf(const Agent& agent)
{
	return agent.fixture->GetBody()->GetPosition();
}
} // namespace

void ContestCamera::Snap(const Agent& knight, const Agent& archer)
{
	AimBetween(PositionOf(knight), PositionOf(archer));
	center = target;
	zoom = targetZoom;
}

void ContestCamera::Follow(const Agent& knight, const Agent& archer)
{
	const bool knightDown = knight.Has(DyingFlag);
	const bool archerDown = archer.Has(DyingFlag);
	if (!knightDown && !archerDown)
	{
		AimBetween(PositionOf(knight), PositionOf(archer));
	}
	else if (!knightDown)
	{
		target = PositionOf(knight);
		targetZoom = MinZoom;
	}
	else if (!archerDown)
	{
		target = PositionOf(archer);
		targetZoom = MinZoom;
	}

	center.x = Approach(center.x, target.x, MoveStep);
	center.y = Approach(center.y, target.y, MoveStep);
	zoom = Approach(zoom, targetZoom, ZoomStep);
}

void ContestCamera::AimBetween(const b2Vec2& k, const b2Vec2& a)
{
	target = 0.5f * (k + a);
	targetZoom = b2Max((k - a).Length() / DistancePerZoom, MinZoom);
}
