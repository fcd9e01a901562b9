#include "tests/support/ObjectWorld.h"

#include <vector>

#include "game/objects/Proj.h"

namespace
{
// Long segments, seams at x = -100 and 100: a circle rolling over the
// seam of two two-sided edges hops.
constexpr float FloorHalfLength = 300.0f;
constexpr float FloorSegment = 200.0f;
}

ObjectWorld::ObjectWorld()
{
	gameWorld.world = &world;
	GameWorldInstance = &gameWorld;
	world.SetContactListener(this);
	b2BodyDef bodyDef;
	groundBody = world.CreateBody(&bodyDef);
	for (float x = -FloorHalfLength; x < FloorHalfLength; x += FloorSegment)
	{
		AddGroundEdge(b2Vec2(x, 0.0f), b2Vec2(x + FloorSegment, 0.0f));
	}
}

ObjectWorld::~ObjectWorld()
{
	std::vector<GameObject*> rest;
	for (GameObject* object : gameWorld.objects)
	{
		if (dynamic_cast<Proj*>(object) != nullptr)
		{
			delete object;
		}
		else
		{
			rest.push_back(object);
		}
	}
	for (GameObject* object : rest)
	{
		delete object;
	}
	gameWorld.objects.clear();
	GameWorldInstance = nullptr;
}

void ObjectWorld::Step(bool paused)
{
	if (paused)
	{
		world.Step(0.0f, 8, 3);
		return;
	}
	UpdatePass();
	PhysicsPass();
}

void ObjectWorld::UpdatePass()
{
	// Objects appended during the pass are updated in it as well.
	for (size_t i = 0; i < gameWorld.objects.size(); ++i)
	{
		gameWorld.objects[i]->Update();
	}
	gameWorld.Purge();
}

void ObjectWorld::PhysicsPass()
{
	world.Step(TimeStep, 8, 3);
	for (b2Contact* contact = world.GetContactList(); contact != nullptr; contact = contact->GetNext())
	{
		if (!contact->IsTouching())
		{
			continue;
		}
		b2Fixture* a = contact->GetFixtureA();
		b2Fixture* b = contact->GetFixtureB();
		if (GameObject* owner = GameObject::Owner(a))
		{
			owner->OnContact(contact, a, b);
		}
		if (GameObject* owner = GameObject::Owner(b))
		{
			owner->OnContact(contact, b, a);
		}
	}
}

void ObjectWorld::Steps(int count)
{
	for (int i = 0; i < count; ++i)
	{
		Step();
	}
}

void ObjectWorld::AddGroundEdge(b2Vec2 a, b2Vec2 b)
{
	b2EdgeShape edge;
	edge.SetTwoSided(a, b);
	b2FixtureDef fixtureDef;
	fixtureDef.shape = &edge;
	fixtureDef.friction = 1.0f;
	fixtureDef.userData = ground.UserData();
	groundBody->CreateFixture(&fixtureDef);
}

void ObjectWorld::PreSolve(b2Contact* contact, const b2Manifold* oldManifold)
{
	if (!contact->IsTouching())
	{
		return;
	}
	b2Fixture* a = contact->GetFixtureA();
	b2Fixture* b = contact->GetFixtureB();
	if (GameObject* owner = GameObject::Owner(a))
	{
		owner->OnPreSolve(contact, oldManifold, a, b);
	}
	if (GameObject* owner = GameObject::Owner(b))
	{
		owner->OnPreSolve(contact, oldManifold, b, a);
	}
}

void Place(b2Body* body, b2Vec2 position)
{
	body->SetTransform(position, 0.0f);
	body->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
}
