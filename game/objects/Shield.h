#pragma once

#include <box2d/box2d.h>

#include "game/objects/GameObject.h"

// The knight's shield: a kinematic box the knight places while blocking.
// It passes through the ground and stops everything else.
class Shield : public GameObject
{
public:
	Shield();

	void OnPreSolve(b2Contact* contact, const b2Manifold* oldManifold, b2Fixture* self, b2Fixture* other) override;

	static constexpr float HalfWidth = 0.4f;
	static constexpr float HalfHeight = 1.6f;

	// The knight's facing when it last placed the shield.
	float facing = 1.0f;
	b2Fixture* fixture = nullptr;
};
