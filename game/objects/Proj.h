#pragma once

#include <box2d/box2d.h>

#include "game/objects/GameObject.h"
#include "game/objects/Handle.h"

class Agent;

// Every projectile: the knight's tethered mace, the archer's arrow and the
// zombie's fireball. It decides which contacts it has at all, marks what it
// touches as hit, deals its strike, turns into a player shot off a shield,
// and ends once it has slowed down.
class Proj : public GameObject
{
public:
	// Destroys the tether (while the owner lives; otherwise the owner's
	// body took it along), then the fixture and the body, then tells the
	// owner if it still lives.
	~Proj() override;

	void Update() override;
	void OnPreSolve(b2Contact* contact, const b2Manifold* oldManifold, b2Fixture* self, b2Fixture* other) override;

	// Strike value of a projectile kind; 0 for anything else.
	static float StrikeValue(int32_t kind);

	// Below this speed (a mace: relative to its knight) a projectile ends.
	static constexpr float MinSpeed = 10.0f;
	static constexpr float Radius = 0.8f;
	static constexpr float MaceStrike = 1.0f;
	static constexpr float ArrowStrike = 0.5f;
	static constexpr float FireballStrike = 0.25f;

	// The fighter that launched it; empty for fireballs. It resolves to
	// nothing once the owner has been deleted.
	Handle<Agent> owner;
	// The mace's tether to its owner. The owner's body takes the joint with
	// it when the owner is deleted, so it is valid only while owner
	// resolves.
	b2Joint* joint = nullptr;
	b2Fixture* fixture = nullptr;
};

// A dynamic ball fixture of a projectile at position with velocity; the
// launchers differ only in density.
b2Fixture* CreateProjectileBall(Proj* projectile, b2Vec2 position, b2Vec2 velocity, float density);
