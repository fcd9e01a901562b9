#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/objects/GameWorld.h"
#include "game/objects/Handle.h"
#include "tests/support/ObjectWorld.h"

namespace
{
// Counts the hooks the frame calls on it; a small dynamic ball that rests
// on the floor, so it has a touching ground contact every frame.
class Probe : public GameObject
{
public:
	explicit Probe(int* deleted = nullptr) : deleted(deleted)
	{
		b2BodyDef bodyDef;
		bodyDef.type = b2_dynamicBody;
		bodyDef.position.Set(10.0f, 0.5f);
		bodyDef.allowSleep = false;
		body = GameWorldInstance->world->CreateBody(&bodyDef);
		b2CircleShape circle;
		circle.m_radius = 0.5f;
		b2FixtureDef fixtureDef;
		fixtureDef.shape = &circle;
		fixtureDef.density = 1.0f;
		fixtureDef.userData = UserData();
		body->CreateFixture(&fixtureDef);
	}
	~Probe() override
	{
		GameWorldInstance->world->DestroyBody(body);
		if (deleted != nullptr)
		{
			++*deleted;
		}
	}
	void Update() override
	{
		++updates;
		if (spawnOnUpdate)
		{
			spawnOnUpdate = false;
			spawned = new Probe();
			GameWorldInstance->Add(spawned);
		}
	}
	void OnPreSolve(b2Contact*, const b2Manifold*, b2Fixture*, b2Fixture*) override { ++preSolves; }
	void OnContact(b2Contact*, b2Fixture*, b2Fixture*) override { ++contacts; }

	int* deleted;
	b2Body* body = nullptr;
	int updates = 0;
	int preSolves = 0;
	int contacts = 0;
	bool spawnOnUpdate = false;
	Probe* spawned = nullptr;
};

TEST(GameWorldTests, OnePurgeRemovesAdjacentDeadObjectsAndADeadLastObject)
{
	ObjectWorld arena;
	int deleted = 0;
	std::vector<Probe*> probes;
	for (int i = 0; i < 6; ++i)
	{
		probes.push_back(new Probe(&deleted));
		arena.gameWorld.Add(probes.back());
	}
	const int bodies = arena.world.GetBodyCount();
	probes[1]->flags |= DeadFlag;
	probes[2]->flags |= DeadFlag;
	probes[5]->flags |= DeadFlag;

	arena.gameWorld.Purge();

	EXPECT_EQ(3, deleted);
	EXPECT_EQ(bodies - 3, arena.world.GetBodyCount());
	std::vector<GameObject*> expected = {probes[0], probes[3], probes[4]};
	std::vector<GameObject*> left = arena.gameWorld.objects;
	std::sort(expected.begin(), expected.end());
	std::sort(left.begin(), left.end());
	EXPECT_EQ(expected, left);
}

TEST(GameWorldTests, AnObjectCreatedDuringTheUpdatePassIsUpdatedInThatPass)
{
	ObjectWorld arena;
	Probe* parent = new Probe();
	parent->spawnOnUpdate = true;
	arena.gameWorld.Add(parent);

	arena.Step();

	ASSERT_NE(nullptr, parent->spawned);
	EXPECT_EQ(1, parent->spawned->updates);
	EXPECT_EQ(2u, arena.gameWorld.objects.size());
}

TEST(GameWorldTests, OnlyTouchingContactsAreHandedOn)
{
	ObjectWorld arena;
	Probe* resting = new Probe();
	// Within the contact margin of the floor but clear of it.
	Probe* hovering = new Probe();
	hovering->body->SetTransform(b2Vec2(20.0f, 0.55f), 0.0f);
	hovering->body->SetGravityScale(0.0f);
	arena.gameWorld.Add(resting);
	arena.gameWorld.Add(hovering);
	arena.Step();
	int untouching = 0;
	for (b2Contact* contact = arena.world.GetContactList(); contact != nullptr; contact = contact->GetNext())
	{
		untouching += contact->IsTouching() ? 0 : 1;
		arena.gameWorld.ForwardPreSolve(contact, contact->GetManifold());
	}
	ASSERT_EQ(1, untouching);
	EXPECT_GT(resting->preSolves, 1);
	EXPECT_GT(resting->contacts, 0);
	EXPECT_EQ(0, hovering->preSolves);
	EXPECT_EQ(0, hovering->contacts);
}

TEST(GameWorldTests, AHandleNamesItsObjectUntilTheWorldDeletesItAndNeverItsSlotsNextObject)
{
	ObjectWorld arena;
	GameWorld& world = arena.gameWorld;
	Probe* kept = new Probe();
	Probe* purged = new Probe();
	world.Add(kept);
	world.Add(purged);
	const Handle<Probe> toKept(kept);
	const Handle<Probe> toPurged(purged);
	EXPECT_EQ(purged, toPurged.Get(world));
	EXPECT_EQ(nullptr, Handle<Probe>().Get(world));

	const uint32_t freedSlot = purged->Id().slot;
	purged->flags |= DeadFlag;
	world.Purge();
	Probe* successor = new Probe();
	world.Add(successor);
	ASSERT_EQ(freedSlot, successor->Id().slot);
	EXPECT_EQ(nullptr, toPurged.Get(world));
	EXPECT_EQ(successor, Handle<Probe>(successor).Get(world));
	EXPECT_EQ(kept, toKept.Get(world));

	const Handle<Probe> toSuccessor(successor);
	world.DeleteObjects();
	EXPECT_EQ(nullptr, toKept.Get(world));
	EXPECT_EQ(nullptr, toSuccessor.Get(world));
}
}
