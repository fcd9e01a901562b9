#include "game/objects/GameWorld.h"

#include <utility>

GameWorld* GameWorldInstance = nullptr;

namespace
{
bool IsProjectile(const GameObject* object)
{
	return object->kind == KindMace || object->kind == KindFireball || object->kind == KindArrow;
}

// Calls hook(owner, self, other) for the object of fixture A, then for that
// of fixture B, each where the fixture has one; both owners are read before
// either is called.
template <typename Hook>
void HandToOwners(b2Contact* contact, Hook hook)
{
	b2Fixture* fixtureA = contact->GetFixtureA();
	b2Fixture* fixtureB = contact->GetFixtureB();
	GameObject* ownerA = GameObject::Owner(fixtureA);
	GameObject* ownerB = GameObject::Owner(fixtureB);
	if (ownerA != nullptr)
	{
		hook(ownerA, fixtureA, fixtureB);
	}
	if (ownerB != nullptr)
	{
		hook(ownerB, fixtureB, fixtureA);
	}
}
} // namespace

void GameWorld::Add(GameObject* object)
{
	objects.push_back(object);
	uint32_t slot = 0;
	if (freeSlots.empty())
	{
		slot = static_cast<uint32_t>(slots.size());
		slots.emplace_back();
	}
	else
	{
		slot = freeSlots.back();
		freeSlots.pop_back();
	}
	slots[slot].object = object;
	object->id.slot = slot;
	object->id.generation = slots[slot].generation;
}

void GameWorld::Retire(const GameObject* object)
{
	Slot& slot = slots[object->id.slot];
	slot.object = nullptr;
	++slot.generation;
	freeSlots.push_back(object->id.slot);
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
		Retire(object);
		delete object;
	}
}

void GameWorld::UpdateObjects()
{
	for (size_t i = 0; i < objects.size(); ++i)
	{
		objects[i]->Update();
	}
	Purge();
}

void GameWorld::ForwardPreSolve(b2Contact* contact, const b2Manifold* oldManifold)
{
	if (!contact->IsTouching())
	{
		return;
	}
	HandToOwners(contact, [&](GameObject* owner, b2Fixture* self, b2Fixture* other) {
		owner->OnPreSolve(contact, oldManifold, self, other);
	});
}

void GameWorld::ForwardContacts()
{
	for (b2Contact* contact = world->GetContactList(); contact != nullptr; contact = contact->GetNext())
	{
		if (contact->IsTouching())
		{
			HandToOwners(contact, [contact](GameObject* owner, b2Fixture* self, b2Fixture* other) {
				owner->OnContact(contact, self, other);
			});
		}
	}
}

void GameWorld::DeleteObjects()
{
	// The objects' destructors reach the world through the registry.
	GameWorld* const previous = GameWorldInstance;
	GameWorldInstance = this;

	std::vector<GameObject*> doomed = std::move(objects);
	objects.clear();
	for (GameObject*& object : doomed)
	{
		if (IsProjectile(object))
		{
			Retire(object);
			delete object;
			object = nullptr;
		}
	}
	for (GameObject* object : doomed)
	{
		if (object != nullptr)
		{
			Retire(object);
			delete object;
		}
	}

	GameWorldInstance = previous == this ? nullptr : previous;
}

void GameWorld::PlaySound(GameSounds::Effect effect) const
{
	if (sounds != nullptr)
	{
		sounds->Play(effect);
	}
}
