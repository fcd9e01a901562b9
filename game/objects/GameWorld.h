#pragma once

#include <box2d/box2d.h>

#include <vector>

#include "game/assets/GameSounds.h"
#include "game/objects/GameObject.h"
#include "game/objects/Object.h"

// The live game objects of the running arena and the frame's passes over
// them. The list owns them: Purge deletes those marked dead.
class GameWorld : public Object
{
public:
	void Add(GameObject* object);
	// Removes and deletes every object with DeadFlag; the last object takes
	// each freed slot, so the order changes.
	void Purge();

	// Update on every object in list order, objects added during the pass
	// (new projectiles) included, then Purge.
	void UpdateObjects();
	// Inside the physics step: a touching contact goes to the objects of
	// both fixtures, each with its own fixture first.
	void ForwardPreSolve(b2Contact* contact, const b2Manifold* oldManifold);
	// After the physics step: every touching contact of the world goes to
	// the objects of both fixtures, each with its own fixture first.
	void ForwardContacts();
	// Deletes every listed object, projectiles first so that each still
	// finds its launcher.
	void DeleteObjects();
	// Plays an effect of the running game's sounds; nothing without them.
	void PlaySound(GameSounds::Effect effect) const;

	b2World* world = nullptr;
	// The game scene's sounds, which outlive its objects.
	GameSounds* sounds = nullptr;
	std::vector<GameObject*> objects;
};

// The running game scene's registry, through which objects reach the
// physics world and register the objects they create.
extern GameWorld* GameWorldInstance;
