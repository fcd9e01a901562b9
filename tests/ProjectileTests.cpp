#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

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
constexpr int Swing = 0;
constexpr int Block = 2;

// A projectile of kind flying straight (no gravity) from position.
Proj* Shot(int32_t kind, b2Vec2 position, b2Vec2 velocity)
{
	Proj* projectile = new Proj();
	CreateProjectileBall(projectile, position, velocity, kind == KindFireball ? 1.0f : 10.0f);
	projectile->kind = kind;
	projectile->flags |= kind == KindFireball ? EnemyShotFlag : PlayerShotFlag;
	projectile->fixture->GetBody()->SetGravityScale(0.0f);
	return projectile;
}

Proj* AddShot(int32_t kind, b2Vec2 position, b2Vec2 velocity)
{
	Proj* projectile = Shot(kind, position, velocity);
	GameWorldInstance->Add(projectile);
	return projectile;
}

// A zombie that floats at position and is not in the list, so nothing
// but the projectiles changes it.
std::unique_ptr<Zombie> Bystander(b2Vec2 position)
{
	std::unique_ptr<Zombie> zombie(new Zombie());
	Place(zombie->fixture->GetBody(), position);
	return zombie;
}

b2Vec2 VelocityOf(const Proj* projectile)
{
	return projectile->fixture->GetBody()->GetLinearVelocity();
}

class ProjectileTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		LoadTestSounds();
		KillCount = 0;
	}

	ObjectWorld arena;
	ControlState control;
};

TEST_F(ProjectileTest, PlayerShotsPassThroughPlayerShots)
{
	Proj* right = AddShot(KindArrow, b2Vec2(-10.0f, 10.0f), b2Vec2(30.0f, 0.0f));
	Proj* left = AddShot(KindMace, b2Vec2(10.0f, 10.0f), b2Vec2(-30.0f, 0.0f));
	arena.Steps(40);
	EXPECT_FLOAT_EQ(30.0f, VelocityOf(right).x);
	EXPECT_FLOAT_EQ(-30.0f, VelocityOf(left).x);
	EXPECT_FALSE(right->Has(HitFlag));
	EXPECT_FALSE(left->Has(HitFlag));
}

TEST_F(ProjectileTest, FireballsPassThroughZombiesAndFireballs)
{
	std::unique_ptr<Zombie> zombie = Bystander(b2Vec2(0.0f, 10.0f));
	Proj* right = AddShot(KindFireball, b2Vec2(-10.0f, 10.0f), b2Vec2(30.0f, 0.0f));
	Proj* left = AddShot(KindFireball, b2Vec2(10.0f, 10.0f), b2Vec2(-30.0f, 0.0f));
	arena.Steps(40);
	EXPECT_FLOAT_EQ(30.0f, VelocityOf(right).x);
	EXPECT_FLOAT_EQ(-30.0f, VelocityOf(left).x);
	EXPECT_FALSE(zombie->Has(HitFlag));
	EXPECT_EQ(0.0f, zombie->damage);
}

TEST_F(ProjectileTest, AFireballAndAnArrowThatMeetMarkEachOtherHit)
{
	Proj* fireball = AddShot(KindFireball, b2Vec2(-10.0f, 10.0f), b2Vec2(30.0f, 0.0f));
	Proj* arrow = AddShot(KindArrow, b2Vec2(10.0f, 10.0f), b2Vec2(-30.0f, 0.0f));
	for (int frame = 0; frame < 40 && !fireball->Has(HitFlag); ++frame)
	{
		arena.Step();
	}
	EXPECT_TRUE(fireball->Has(HitFlag));
	EXPECT_TRUE(arrow->Has(HitFlag));
	EXPECT_LT(VelocityOf(fireball).x, 30.0f);
}

TEST_F(ProjectileTest, AStrikeLandsOnceUntilTheProjectileTouchesGround)
{
	std::unique_ptr<Zombie> first = Bystander(b2Vec2(0.0f, 10.0f));
	std::unique_ptr<Zombie> second = Bystander(b2Vec2(20.0f, 10.0f));
	std::unique_ptr<Zombie> third = Bystander(b2Vec2(40.0f, 10.0f));
	std::unique_ptr<Proj> arrow(Shot(KindArrow, b2Vec2(-2.3f, 10.0f), b2Vec2(20.0f, 0.0f)));
	b2Body* arrowBody = arrow->fixture->GetBody();

	arena.Step();
	EXPECT_TRUE(first->Has(HitFlag));
	EXPECT_FLOAT_EQ(0.5f, first->damage);
	EXPECT_TRUE(arrow->Has(SpentFlag));

	Place(arrowBody, b2Vec2(17.7f, 10.0f));
	arrowBody->SetLinearVelocity(b2Vec2(20.0f, 0.0f));
	arena.Step();
	EXPECT_TRUE(second->Has(HitFlag));
	EXPECT_EQ(0.0f, second->damage);

	Place(arrowBody, b2Vec2(60.0f, 0.7f));
	arrowBody->SetLinearVelocity(b2Vec2(0.0f, -20.0f));
	arena.Step();
	EXPECT_FALSE(arrow->Has(SpentFlag));

	Place(arrowBody, b2Vec2(37.7f, 10.0f));
	arrowBody->SetLinearVelocity(b2Vec2(20.0f, 0.0f));
	arena.Step();
	EXPECT_FLOAT_EQ(0.5f, third->damage);
}

TEST_F(ProjectileTest, DamageReplacesItDoesNotAdd)
{
	std::unique_ptr<Zombie> zombie = Bystander(b2Vec2(0.0f, 10.0f));
	zombie->damage = 0.3f;
	AddShot(KindArrow, b2Vec2(-2.3f, 10.0f), b2Vec2(20.0f, 0.0f));
	AddShot(KindArrow, b2Vec2(2.3f, 10.0f), b2Vec2(-20.0f, 0.0f));
	arena.Step();
	EXPECT_TRUE(zombie->Has(HitFlag));
	EXPECT_FLOAT_EQ(0.5f, zombie->damage);
}

TEST_F(ProjectileTest, AFireballOffAShieldBecomesAPlayerShotAndHurtsZombies)
{
	ControlState idle;
	Knight* knight = AddAgent<Knight>(arena, 0.0f, Agent::Radius, &control);
	Archer* archer = AddAgent<Archer>(arena, -60.0f, Agent::Radius, &idle);
	control.held[Block] = true;
	arena.Steps(3);
	StopSounds();
	Zombie* zombie = AddAgent<Zombie>(arena, 20.0f, 6.0f);
	zombie->targetA = knight;
	zombie->targetB = archer;
	// Keeps the zombie from charging and throwing during the test.
	zombie->charge = 0.9f;
	Proj* fireball = AddShot(KindFireball, b2Vec2(24.0f, 1.6f), b2Vec2(-40.0f, 0.0f));
	// Spent as if it had struck already: the shield arms it again.
	fireball->flags |= SpentFlag;

	// On its way in it passes the zombie's column; it meets the shield.
	for (int frame = 0; frame < 60 && !fireball->Has(PlayerShotFlag); ++frame)
	{
		arena.Step();
	}
	ASSERT_TRUE(fireball->Has(PlayerShotFlag));
	EXPECT_FALSE(fireball->Has(EnemyShotFlag));
	EXPECT_FALSE(fireball->Has(SpentFlag));
	EXPECT_EQ(0.0f, knight->hurt);
	EXPECT_GE(Plays(GameSounds::Bounce), 1);
	EXPECT_TRUE(knight->shield->Has(HitFlag));
	arena.Step();
	EXPECT_GT(VelocityOf(fireball).x, 10.0f);

	// Back out it now strikes the zombie.
	Place(zombie->fixture->GetBody(), fireball->fixture->GetBody()->GetPosition() + b2Vec2(3.0f, 0.0f));
	for (int frame = 0; frame < 10 && zombie->health == 1.0f; ++frame)
	{
		arena.Step();
	}
	EXPECT_FLOAT_EQ(0.75f, zombie->health);
}

TEST_F(ProjectileTest, WhilePausedAProjectileAgainstAShieldBouncesEveryFrame)
{
	Knight* knight = AddAgent<Knight>(arena, 0.0f, Agent::Radius, &control);
	control.held[Block] = true;
	arena.Steps(3);
	b2Body* shieldBody = knight->shield->fixture->GetBody();
	ASSERT_TRUE(shieldBody->IsEnabled());
	const b2Vec2 against = shieldBody->GetPosition() + b2Vec2(Shield::HalfWidth + Proj::Radius - 0.05f, 0.0f);
	AddShot(KindArrow, against, b2Vec2(-20.0f, 0.0f));
	StopSounds();
	for (int frame = 0; frame < 5; ++frame)
	{
		arena.Step(true);
	}
	EXPECT_EQ(5, Plays(GameSounds::Bounce));
}

TEST_F(ProjectileTest, AMaceEndsWhenSlowRelativeToItsKnight)
{
	Knight* knight = AddAgent<Knight>(arena, 0.0f, Agent::Radius, &control);
	arena.Steps(3);
	Press(control, Swing);
	arena.UpdatePass();
	Unchanged(control);
	ASSERT_TRUE(knight->attacking);
	Proj* mace = static_cast<Proj*>(arena.gameWorld.objects.back());
	ASSERT_EQ(KindMace, mace->kind);
	// Fast in the world, but moving with its knight.
	mace->fixture->GetBody()->SetLinearVelocity(b2Vec2(25.0f, 0.0f));
	knight->fixture->GetBody()->SetLinearVelocity(b2Vec2(20.0f, 0.0f));
	arena.UpdatePass();
	EXPECT_FALSE(knight->attacking);
	EXPECT_EQ(KindKnight, arena.gameWorld.objects.back()->kind);
	EXPECT_EQ(0, arena.world.GetJointCount());
}

TEST_F(ProjectileTest, AnObjectlessFixtureIsStruckAsAnObjectWithoutFlags)
{
	b2BodyDef bodyDef;
	bodyDef.type = b2_dynamicBody;
	bodyDef.position.Set(0.0f, 10.0f);
	bodyDef.gravityScale = 0.0f;
	b2Body* bomb = arena.world.CreateBody(&bodyDef);
	b2CircleShape circle;
	circle.m_radius = 0.3f;
	bomb->CreateFixture(&circle, 20.0f);
	Proj* arrow = AddShot(KindArrow, b2Vec2(-1.05f, 10.0f), b2Vec2(20.0f, 0.0f));
	arena.Step();
	EXPECT_GT(bomb->GetLinearVelocity().x, 1.0f);
	EXPECT_FALSE(arrow->Has(SpentFlag));
	EXPECT_TRUE(arrow->Has(PlayerShotFlag));
}

TEST_F(ProjectileTest, AProjectileOutlivingItsOwnerNeitherCallsBackNorDestroysItsTetherAgain)
{
	ControlState idle;
	Knight* knight = AddAgent<Knight>(arena, 0.0f, Agent::Radius, &control);
	Archer* archer = AddAgent<Archer>(arena, 20.0f, Agent::Radius, &idle);
	arena.Steps(3);
	Press(control, Swing);
	arena.Step();
	archer->Shoot(b2Vec2(0.0f, 1.0f));
	archer->Shoot(b2Vec2(0.0f, 1.0f));
	auto& objects = arena.gameWorld.objects;
	Proj* mace = static_cast<Proj*>(objects[objects.size() - 3]);
	Proj* arrow = static_cast<Proj*>(objects[objects.size() - 2]);
	ASSERT_EQ(KindMace, mace->kind);
	ASSERT_EQ(KindArrow, arrow->kind);
	ASSERT_EQ(1, arena.world.GetJointCount());

	// The knight goes before its tethered mace; the archer goes in the same
	// purge as one of its arrows.
	knight->flags |= DeadFlag;
	archer->flags |= DeadFlag;
	objects.back()->flags |= DeadFlag;
	arena.gameWorld.Purge();
	ASSERT_EQ(3u, objects.size());
	EXPECT_EQ(nullptr, mace->owner.Get(arena.gameWorld));
	EXPECT_EQ(nullptr, arrow->owner.Get(arena.gameWorld));
	EXPECT_EQ(0, arena.world.GetJointCount());

	// Both end and are deleted without touching their owners or the tether.
	for (int frame = 0; frame < 600 && objects.size() > 1; ++frame)
	{
		arena.Step();
	}
	EXPECT_EQ(1u, objects.size());
	EXPECT_EQ(0, arena.world.GetJointCount());
}
}
