#include "game/objects/GameWorld.h"

GameWorld* GameWorldInstance = nullptr;

void GameWorld::Add(GameObject* object)
{
	objects.push_back(object);
}

void GameWorld::Purge()
{
	for (size_t i = 0; i < objects.size();)
	{
		GameObject* object = objects[i];
		if (!object->Has(DeadFlag))
		{
			++i;
			continue;
		}
		objects[i] = objects.back();
		objects.pop_back();
		delete object;
	}
}
