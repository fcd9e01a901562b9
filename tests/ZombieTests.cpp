#include <gtest/gtest.h>

#include <vector>

#include "game/GameGlobals.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Proj.h"
#include "game/objects/Shield.h"
#include "game/objects/Zombie.h"
#include "tests/support/Fighters.h"
#include "tests/support/TestSounds.h"

namespace
{
constexpr float Height = 6.0f;

class ZombieTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		LoadTestSounds();
		KillCount = 0;
		knight = AddAgent<Knight>(arena, -30.0f, Agent::Radius, &knightControl);
		archer = AddAgent<Archer>(arena, 30.0f, Agent::Radius, &archerControl);
		Frames(arena, knightControl, 3);
		StopSounds();
	}

	Zombie* Spawn(b2Vec2 position)
	{
		Zombie* zombie = AddAgent<Zombie>(arena, position.x, position.y);
		zombie->targetA = knight;
		zombie->targetB = archer;
		return zombie;
	}

	std::vector<Proj*> Fireballs()
	{
		std::vector<Proj*> found;
		for (GameObject* object : arena.gameWorld.objects)
		{
			if (object->kind == KindFireball)
			{
				found.push_back(static_cast<Proj*>(object));
			}
		}
		return found;
	}

	// Runs the zombie's update as the frame does after a strike.
	void Strike(Zombie* zombie, float damage)
	{
		zombie->flags |= HitFlag;
		zombie->damage = damage;
		arena.Step();
	}

	// Nothing between the zombie and its target.
	bool Sees(Zombie* zombie, Agent* target)
	{
		zombie->target = target;
		ray = Zombie::MyRayCastClosestCallback();
		return zombie->Sees(ray);
	}

	ObjectWorld arena;
	ControlState knightControl;
	ControlState archerControl;
	Knight* knight = nullptr;
	Archer* archer = nullptr;
	Zombie::MyRayCastClosestCallback ray;
};

TEST_F(ZombieTest, OneMaceTwoArrowsOrFourDeflectedFireballsDefeatIt)
{
	const struct
	{
		int32_t kind;
		float strike;
		int hits;
	} cases[] = {{KindMace, 1.0f, 1}, {KindArrow, 0.5f, 2}, {KindFireball, 0.25f, 4}};
	for (const auto& c : cases)
	{
		EXPECT_FLOAT_EQ(c.strike, Proj::StrikeValue(c.kind));
		Zombie* zombie = Spawn(b2Vec2(0.0f, 40.0f));
		for (int hit = 1; hit < c.hits; ++hit)
		{
			Strike(zombie, c.strike);
			EXPECT_FALSE(zombie->Has(DyingFlag)) << c.kind;
			EXPECT_EQ(0.0f, zombie->damage);
		}
		Strike(zombie, c.strike);
		EXPECT_TRUE(zombie->Has(DyingFlag)) << c.kind;
		zombie->flags |= DeadFlag;
		arena.Step();
	}
	EXPECT_EQ(3u, KillCount);
}

TEST_F(ZombieTest, ASpentHitPlaysButCostsNothing)
{
	Zombie* zombie = Spawn(b2Vec2(0.0f, 40.0f));
	zombie->flags |= HitFlag;
	arena.Step();
	EXPECT_EQ(1.0f, zombie->health);
	EXPECT_EQ(1, Plays(GameSounds::EnemyHit));
	EXPECT_FALSE(zombie->Has(HitFlag));
}

TEST_F(ZombieTest, ADefeatPlaysHitThenDeathCountsOnceFadesAndIsDeleted)
{
	Zombie* zombie = Spawn(b2Vec2(0.0f, 40.0f));
	const int bodies = arena.world.GetBodyCount();
	Strike(zombie, 1.0f);
	EXPECT_EQ((std::vector<int>{GameSounds::EnemyHit, GameSounds::EnemyDeath}), PlayingSounds());
	EXPECT_EQ(1u, KillCount);
	EXPECT_TRUE(zombie->Has(DyingFlag));
	EXPECT_FALSE(zombie->Has(HitFlag));
	EXPECT_EQ(1.0f, zombie->health);

	// Still there and still struck while it fades, but counted once.
	for (int frame = 1; frame < 20; ++frame)
	{
		Strike(zombie, 1.0f);
		EXPECT_NEAR(1.0f - 0.05f * frame, zombie->health, 1e-5f) << frame;
		EXPECT_TRUE(zombie->fixture->GetBody()->IsEnabled());
	}
	EXPECT_EQ(1u, KillCount);
	EXPECT_EQ(1, Plays(GameSounds::EnemyDeath));
	EXPECT_EQ(4u, arena.gameWorld.objects.size());

	arena.Step();
	EXPECT_EQ(3u, arena.gameWorld.objects.size());
	EXPECT_EQ(bodies - 1, arena.world.GetBodyCount());
}

TEST_F(ZombieTest, TargetChoice)
{
	// Equal distances: player one's fighter.
	Zombie* zombie = Spawn(b2Vec2(0.0f, 40.0f));
	arena.UpdatePass();
	EXPECT_EQ(knight, zombie->target.Get(arena.gameWorld));

	Place(zombie->fixture->GetBody(), b2Vec2(1.0f, 40.0f));
	arena.UpdatePass();
	EXPECT_EQ(archer, zombie->target.Get(arena.gameWorld));

	archer->flags |= DyingFlag;
	arena.UpdatePass();
	EXPECT_EQ(knight, zombie->target.Get(arena.gameWorld));

	archer->flags &= ~DyingFlag;
	knight->flags |= DyingFlag;
	Place(zombie->fixture->GetBody(), b2Vec2(-20.0f, 40.0f));
	arena.UpdatePass();
	EXPECT_EQ(archer, zombie->target.Get(arena.gameWorld));

	archer->flags |= DyingFlag;
	Place(zombie->fixture->GetBody(), b2Vec2(20.0f, 40.0f));
	arena.UpdatePass();
	EXPECT_EQ(knight, zombie->target.Get(arena.gameWorld));
}

TEST_F(ZombieTest, AGoneFighterCountsAsDownAndWithBothGoneTheZombieOnlyDrifts)
{
	Zombie* zombie = Spawn(b2Vec2(20.0f, Height));
	archer->flags |= DeadFlag;
	arena.gameWorld.Purge();
	arena.UpdatePass();
	EXPECT_EQ(knight, zombie->target.Get(arena.gameWorld));

	knight->flags |= DeadFlag;
	arena.gameWorld.Purge();
	zombie->charging = true;
	zombie->charge = 0.95f;
	b2Body* body = zombie->fixture->GetBody();
	const b2Vec2 drift(1.0f, 0.5f);
	body->SetLinearVelocity(drift);
	arena.Steps(30);
	EXPECT_EQ(nullptr, zombie->target.Get(arena.gameWorld));
	EXPECT_TRUE(Fireballs().empty());
	EXPECT_EQ(drift, body->GetLinearVelocity());
}

TEST_F(ZombieTest, ItSeesThroughZombiesAndShieldsOnly)
{
	Zombie* zombie = Spawn(b2Vec2(0.0f, Agent::Radius));
	const b2Vec2 between(15.0f, Agent::Radius);
	EXPECT_TRUE(Sees(zombie, archer));
	EXPECT_FALSE(ray.shieldSeen);

	Zombie* other = Spawn(between);
	EXPECT_TRUE(Sees(zombie, archer));
	Place(other->fixture->GetBody(), b2Vec2(15.0f, 40.0f));

	b2Body* shieldBody = knight->shield->fixture->GetBody();
	shieldBody->SetEnabled(true);
	shieldBody->SetTransform(between, 0.0f);
	EXPECT_TRUE(Sees(zombie, archer));
	EXPECT_TRUE(ray.shieldSeen);
	shieldBody->SetEnabled(false);

	Place(knight->fixture->GetBody(), between);
	EXPECT_FALSE(Sees(zombie, archer));
	EXPECT_EQ(knight->fixture, ray.fixture);
	Place(knight->fixture->GetBody(), b2Vec2(-30.0f, Agent::Radius));

	Proj* fireball = new Proj();
	CreateProjectileBall(fireball, between, b2Vec2(0.0f, 0.0f), 1.0f);
	fireball->kind = KindFireball;
	fireball->flags |= EnemyShotFlag;
	GameWorldInstance->Add(fireball);
	EXPECT_FALSE(Sees(zombie, archer));
	Place(fireball->fixture->GetBody(), b2Vec2(15.0f, 60.0f));

	b2BodyDef bodyDef;
	bodyDef.position = between;
	b2Body* bomb = arena.world.CreateBody(&bodyDef);
	b2CircleShape circle;
	circle.m_radius = 0.3f;
	bomb->CreateFixture(&circle, 1.0f);
	EXPECT_FALSE(Sees(zombie, archer));
	arena.world.DestroyBody(bomb);

	arena.AddGroundEdge(b2Vec2(15.0f, 0.0f), b2Vec2(15.0f, 10.0f));
	EXPECT_FALSE(Sees(zombie, archer));

	// A ray of no length (the zombie right on a target that is down and
	// collides no more) sees nothing instead of asserting.
	Place(zombie->fixture->GetBody(), archer->fixture->GetBody()->GetPosition());
	EXPECT_FALSE(Sees(zombie, archer));
}

TEST_F(ZombieTest, AChargeOfTwentyFramesThrowsAFireballThatLeadsTheTarget)
{
	Zombie* zombie = Spawn(b2Vec2(22.0f, Height));
	b2Body* body = zombie->fixture->GetBody();
	arena.Step();
	ASSERT_TRUE(zombie->charging);
	for (int frame = 1; frame < 20; ++frame)
	{
		arena.Step();
		EXPECT_TRUE(Fireballs().empty()) << frame;
	}
	b2Body* target = archer->fixture->GetBody();
	target->SetLinearVelocity(b2Vec2(5.0f, 0.0f));
	body->SetLinearVelocity(b2Vec2(0.0f, 1.0f));
	const b2Vec2 lead = target->GetPosition() + target->GetLinearVelocity() - body->GetPosition();
	arena.UpdatePass();
	ASSERT_EQ(1u, Fireballs().size());
	Proj* fireball = Fireballs()[0];
	const b2Vec2 expected = b2Vec2(0.0f, 1.0f) + 90.0f * lead;
	EXPECT_NEAR(expected.x, fireball->fixture->GetBody()->GetLinearVelocity().x, 1e-3f);
	EXPECT_NEAR(expected.y, fireball->fixture->GetBody()->GetLinearVelocity().y, 1e-3f);
	EXPECT_EQ(nullptr, fireball->owner.Get(arena.gameWorld));
	EXPECT_TRUE(fireball->Has(EnemyShotFlag));
	EXPECT_FALSE(zombie->charging);
	EXPECT_EQ(1, Plays(GameSounds::Fireball));

	// It leaves through its own zombie.
	arena.PhysicsPass();
	arena.Step();
	EXPECT_FALSE(zombie->Has(HitFlag));
	EXPECT_EQ(1.0f, zombie->health);
}

TEST_F(ZombieTest, OutOfSightItNeitherSteersNorStartsACharge)
{
	arena.AddGroundEdge(b2Vec2(25.0f, 0.0f), b2Vec2(25.0f, 40.0f));
	arena.AddGroundEdge(b2Vec2(-25.0f, 0.0f), b2Vec2(-25.0f, 40.0f));
	Zombie* zombie = Spawn(b2Vec2(0.0f, Height));
	b2Body* body = zombie->fixture->GetBody();
	body->SetLinearVelocity(b2Vec2(0.0f, 0.5f));
	zombie->laughTimer = 1;
	arena.Steps(30);
	EXPECT_FALSE(zombie->charging);
	EXPECT_EQ(b2Vec2(0.0f, 0.5f), body->GetLinearVelocity());
	EXPECT_EQ(1, zombie->laughTimer);
	EXPECT_EQ(0, Plays(GameSounds::GhostFix));

	// A charge already under way still completes.
	zombie->charging = true;
	zombie->charge = 0.5f;
	arena.Steps(10);
	EXPECT_EQ(1u, Fireballs().size());
}

TEST_F(ZombieTest, InSightItLaughsWhenItsTimerRunsOut)
{
	Zombie* zombie = Spawn(b2Vec2(20.0f, Height));
	zombie->laughTimer = 2;
	zombie->orbitTimer = 1;
	arena.Step();
	EXPECT_EQ(0, Plays(GameSounds::GhostFix));
	EXPECT_TRUE(zombie->orbitLeft);
	arena.Step();
	EXPECT_EQ(1, Plays(GameSounds::GhostFix));
	EXPECT_GE(zombie->laughTimer, 480);
	EXPECT_GE(zombie->orbitTimer, 479);
}

// In sight and not charging it steers towards 16 units a second along the
// line to its target, by at most 10 a frame, while its charge decays by
// 0.01 a frame.
TEST_F(ZombieTest, ItSteersTowardsSixteenInStepsOfTenAsItsChargeDecays)
{
	Zombie* zombie = Spawn(b2Vec2(0.0f, 20.0f));
	b2Body* body = zombie->fixture->GetBody();
	zombie->charge = 0.9f;
	arena.UpdatePass();
	EXPECT_NEAR(10.0f / body->GetMass(), body->GetLinearVelocity().Length(), 1e-4f);
	EXPECT_NEAR(0.89f, zombie->charge, 1e-5f);
	arena.PhysicsPass();
	arena.Steps(59);
	EXPECT_NEAR(16.0f, body->GetLinearVelocity().Length(), 0.05f);
	b2Vec2 towards = knight->fixture->GetBody()->GetPosition() - body->GetPosition();
	towards.Normalize();
	EXPECT_NEAR(16.0f, b2Dot(body->GetLinearVelocity(), towards), 0.1f);
	EXPECT_NEAR(0.3f, zombie->charge, 1e-4f);
	EXPECT_FALSE(zombie->charging);
}

TEST_F(ZombieTest, AShieldOnTheSightLineTurnsTheSteeringAside)
{
	Zombie* zombie = Spawn(b2Vec2(-20.0f, Agent::Radius + 4.0f));
	b2Body* body = zombie->fixture->GetBody();
	zombie->charge = 0.5f;
	knightControl.held[2] = true;
	arena.Step();
	ASSERT_TRUE(knight->shield->fixture->GetBody()->IsEnabled());
	body->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
	arena.Step();
	EXPECT_TRUE(zombie->evading);
	EXPECT_FALSE(zombie->orbitLeft);
	// Turned right of the line towards the knight, which lies down-left.
	b2Vec2 d = knight->fixture->GetBody()->GetPosition() - b2Vec2(-20.0f, Agent::Radius + 4.0f);
	d.Normalize();
	b2Vec2 v = body->GetLinearVelocity();
	v.Normalize();
	EXPECT_NEAR(d.y, v.x, 0.02f);
	EXPECT_NEAR(-d.x, v.y, 0.02f);
}

TEST_F(ZombieTest, GrazingTheGroundWhileEvadingFlipsTheOrbitAtMostEveryTenFrames)
{
	Zombie* zombie = Spawn(b2Vec2(0.0f, Agent::Radius - 0.01f));
	zombie->evading = true;
	arena.PhysicsPass();
	EXPECT_TRUE(zombie->orbitLeft);
	EXPECT_EQ(10, zombie->reverseCooldown);
	EXPECT_FALSE(zombie->onGround);
	arena.PhysicsPass();
	EXPECT_TRUE(zombie->orbitLeft);

	zombie->evading = false;
	zombie->reverseCooldown = 0;
	arena.PhysicsPass();
	EXPECT_TRUE(zombie->orbitLeft);
}
}
