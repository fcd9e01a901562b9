#pragma once

#include <box2d/box2d.h>

#include <cstdint>
#include <vector>

#include "game/assets/GameSounds.h"
#include "game/objects/GameObject.h"
#include "game/objects/Object.h"

// The live game objects of the running arena and the frame's passes over
// them. The list owns them: Purge deletes those marked dead. Objects that
// refer to others that may die hold a Handle, which this world resolves.
class GameWorld : public Object
{
public:
	// Appends the object and gives it its Id.
	void Add(GameObject* object);
	// Removes and deletes every object with DeadFlag; the last object takes
	// each freed slot, so the order changes.
	void Purge();
	// The object id names while it is registered; null for the default id
	// and once the object has been deleted (by Purge or DeleteObjects).
	GameObject* Find(ObjectId id) const
	{
		return id.slot < slots.size() && slots[id.slot].generation == id.generation ? slots[id.slot].object : nullptr;
	}

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

private:
	// Where an id points: the registered object, or null once it is gone.
	struct Slot
	{
		GameObject* object = nullptr;
		uint32_t generation = 0;
	};

	// Unregisters an object about to be deleted: its id names nothing
	// from now on, and its slot is free for a later object.
	void Retire(const GameObject* object);

	std::vector<Slot> slots;
	std::vector<uint32_t> freeSlots;
};

// The running game scene's registry, through which objects reach the
// physics world and register the objects they create.
extern GameWorld* GameWorldInstance;
