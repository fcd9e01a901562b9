#pragma once

#include <box2d/box2d.h>

#include "game/objects/GameObject.h"
#include "game/objects/GameWorld.h"

// A small arena for the combatants: gravity (0, -30), a flat floor of edge
// fixtures along y = 0 owned by a ground object, and a GameWorld published
// through GameWorldInstance. Step() runs one game frame through the
// GameWorld's passes in the game's order.
class ObjectWorld : public b2ContactListener
{
public:
	ObjectWorld();
	// Deletes the listed objects before the world.
	~ObjectWorld() override;

	// One frame; paused runs only the zero-time physics step, as the game
	// does while paused.
	void Step(bool paused = false);
	// The two halves of an unpaused frame, for looking between them.
	void UpdatePass();
	void PhysicsPass();
	void Steps(int count);

	// An extra ground edge from a to b, owned by the ground object.
	void AddGroundEdge(b2Vec2 a, b2Vec2 b);

	void PreSolve(b2Contact* contact, const b2Manifold* oldManifold) override;

	// The ground's object: GroundFlag only.
	class Ground : public GameObject
	{
	public:
		Ground() { flags = GroundFlag; }
	};

	static constexpr float TimeStep = 1.0f / 60.0f;

	b2World world{b2Vec2(0.0f, -30.0f)};
	GameWorld gameWorld;
	Ground ground;
	b2Body* groundBody = nullptr;
};

// Puts an agent-like body at position with zero velocity.
void Place(b2Body* body, b2Vec2 position);
