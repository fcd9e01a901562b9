#include "tests/support/ObjectWorld.h"

#include "tests/support/TestSounds.h"

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
	gameWorld.sounds = TestSounds();
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
	gameWorld.DeleteObjects();
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
	gameWorld.UpdateObjects();
}

void ObjectWorld::PhysicsPass()
{
	world.Step(TimeStep, 8, 3);
	gameWorld.ForwardContacts();
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
	gameWorld.ForwardPreSolve(contact, oldManifold);
}

void Place(b2Body* body, b2Vec2 position)
{
	body->SetTransform(position, 0.0f);
	body->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
}
