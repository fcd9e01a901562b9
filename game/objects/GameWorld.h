#pragma once

#include <box2d/box2d.h>

#include <vector>

#include "game/objects/GameObject.h"
#include "game/objects/Object.h"

// The live game objects of the running arena. The list owns them: Purge
// deletes those marked dead.
class GameWorld : public Object
{
public:
	void Add(GameObject* object);
	// Removes and deletes every object with DeadFlag; the last object takes
	// each freed slot, so the order changes.
	void Purge();

	b2World* world = nullptr;
	std::vector<GameObject*> objects;
};

// The running game scene's registry, through which objects reach the
// physics world and register the objects they create.
extern GameWorld* GameWorldInstance;
