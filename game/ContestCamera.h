#pragma once

#include <box2d/box2d.h>

class Agent;

// The game's camera: keeps both fighters in view, zooming out as they move
// apart, and follows the survivor when one is down. It moves towards its
// target by limited steps each frame, except when snapped.
class ContestCamera
{
public:
	// Fighter distance per zoom unit, and the smallest zoom.
	static constexpr float DistancePerZoom = 48.0f;
	static constexpr float MinZoom = 1.0f;
	// Per-frame limits of the movement and of the zoom change.
	static constexpr float MoveStep = 5.0f;
	static constexpr float ZoomStep = 0.1f;

	// Centres between the fighters at once.
	void Snap(const Agent& knight, const Agent& archer);
	// Aims between the fighters, or at the one still standing (at the
	// smallest zoom), or where it aimed when both are down; then moves one
	// step towards the aim.
	void Follow(const Agent& knight, const Agent& archer);

	b2Vec2 Center() const { return center; }
	float Zoom() const { return zoom; }
	b2Vec2 Target() const { return target; }
	float TargetZoom() const { return targetZoom; }

private:
	void AimBetween(const b2Vec2& k, const b2Vec2& a);

	b2Vec2 target{0.0f, 0.0f};
	float targetZoom = MinZoom;
	b2Vec2 center{0.0f, 0.0f};
	float zoom = MinZoom;
};
