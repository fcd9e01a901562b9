#pragma once

#include <box2d/box2d.h>

#include "game/objects/Agent.h"

class Shield;

// Player one's fighter: heavy while it swings a mace on a rigid tether,
// raises a shield along its stick.
class Knight : public Agent
{
public:
	// Builds the knight and its shield, and registers the shield.
	Knight();

	void Update() override;
	// A gone mace makes the knight light again and ready to swing.
	void OnProjectileGone(int kind) override;
	// Launches the mace.
	void Attack();

	static constexpr float RestDensity = 1.0f;
	static constexpr float SwingDensity = 100.0f;
	static constexpr float ReachLength = 3.2f;
	static constexpr float MaceSpeed = 90.0f;
	static constexpr float MaceDensity = 10.0f;

	// Last stick direction (y up) longer than 1; in front of the figure
	// until the stick first says otherwise.
	b2Vec2 aim{1.0f, 0.0f};
	Shield* shield = nullptr;
	float hurt = 0.0f;
	float fade = 1.0f;
	bool attacking = false;
};
