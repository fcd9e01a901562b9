#include <gtest/gtest.h>

#include <cmath>

#include "game/GameGlobals.h"
#include "game/objects/Knight.h"
#include "game/objects/Other.h"
#include "game/objects/Proj.h"
#include "game/objects/Shield.h"
#include "game/objects/Zombie.h"
#include "tests/support/Fighters.h"
#include "tests/support/TestSounds.h"

namespace
{
constexpr int Swing = 0;
constexpr int Block = 2;
constexpr float Pi = 3.14159265f;

class KnightTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		LoadTestSounds();
		knight = AddAgent<Knight>(arena, 0.0f, Agent::Radius, &control);
		body = knight->fixture->GetBody();
		shieldBody = knight->shield->fixture->GetBody();
		Frames(arena, control, 5);
		StopSounds();
	}

	Proj* Mace()
	{
		Proj* found = nullptr;
		int count = 0;
		for (GameObject* object : arena.gameWorld.objects)
		{
			if (object->kind == KindMace)
			{
				found = static_cast<Proj*>(object);
				++count;
			}
		}
		EXPECT_LE(count, 1);
		return found;
	}

	ObjectWorld arena;
	ControlState control;
	Knight* knight = nullptr;
	b2Body* body = nullptr;
	b2Body* shieldBody = nullptr;
};

TEST_F(KnightTest, HoldingTheButtonSwingsOnceAndBlockingSwingsNot)
{
	control.held[Block] = true;
	Press(control, Swing);
	Frame(arena, control);
	EXPECT_EQ(nullptr, Mace());
	EXPECT_EQ(0, Plays(GameSounds::Mace));
	control.held[Block] = false;
	Release(control, Swing);
	Frame(arena, control);

	Press(control, Swing);
	arena.UpdatePass();
	Proj* mace = Mace();
	ASSERT_NE(nullptr, mace);
	EXPECT_TRUE(knight->attacking);
	EXPECT_EQ(1, Plays(GameSounds::Mace));
	EXPECT_EQ(knight, mace->owner.Get(arena.gameWorld));
	EXPECT_TRUE(mace->Has(PlayerShotFlag));
	EXPECT_NEAR(804.2f, body->GetMass(), 1.0f);
	// Launched from straight above, clockwise when facing right.
	const b2Vec2 start = mace->fixture->GetBody()->GetPosition() - body->GetPosition();
	EXPECT_NEAR(0.0f, start.x, 1e-4f);
	EXPECT_NEAR(3.2f, start.y, 1e-4f);
	const b2Vec2 v = mace->fixture->GetBody()->GetLinearVelocity();
	EXPECT_NEAR(63.64f, v.x, 0.01f);
	EXPECT_NEAR(-63.64f, v.y, 0.01f);
	arena.PhysicsPass();
	Unchanged(control);

	Frames(arena, control, 2);
	EXPECT_EQ(1, Plays(GameSounds::Mace));
	Release(control, Swing);
	Frame(arena, control);
	Press(control, Swing);
	Frame(arena, control);
	EXPECT_EQ(mace, Mace());
	EXPECT_EQ(1, Plays(GameSounds::Mace));
}

TEST_F(KnightTest, TheMaceSwingsOnItsTetherAndEndsWhenSlow)
{
	knight->facing = -1.0f;
	Press(control, Swing);
	Frame(arena, control);
	Proj* mace = Mace();
	ASSERT_NE(nullptr, mace);
	b2Body* ball = mace->fixture->GetBody();
	int frames = 0;
	bool wentLeft = false;
	while (Mace() != nullptr && frames < 600)
	{
		const b2Vec2 arm = ball->GetPosition() - body->GetPosition();
		EXPECT_NEAR(3.2f, arm.Length(), 0.05f);
		wentLeft = wentLeft || arm.x < -1.0f;
		Frame(arena, control);
		++frames;
	}
	EXPECT_TRUE(wentLeft);
	EXPECT_EQ(nullptr, Mace());
	EXPECT_LT(frames, 600);
	EXPECT_FALSE(knight->attacking);
	EXPECT_NEAR(8.04f, body->GetMass(), 0.01f);
	EXPECT_EQ(0, arena.world.GetJointCount());

	// Light again and ready at once.
	Press(control, Swing);
	Frame(arena, control);
	EXPECT_NE(nullptr, Mace());
}

TEST_F(KnightTest, TheShieldStandsAlongTheAimWhileBlocking)
{
	control.held[Block] = true;
	Frame(arena, control);
	ASSERT_TRUE(shieldBody->IsEnabled());
	// The knight settles a little in the step after the shield is placed.
	// Before any aim the shield stands in front of the figure.
	b2Vec2 offset = shieldBody->GetPosition() - body->GetPosition();
	EXPECT_NEAR(3.2f, offset.x, 0.01f);
	EXPECT_NEAR(0.0f, offset.y, 0.01f);

	control.stick.Set(0.0f, -20.0f);
	Frame(arena, control);
	offset = shieldBody->GetPosition() - body->GetPosition();
	EXPECT_NEAR(0.0f, offset.x, 0.01f);
	EXPECT_NEAR(3.2f, offset.y, 0.01f);
	EXPECT_NEAR(Pi / 2.0f, shieldBody->GetAngle(), 0.01f);

	// A deflection of length 1 or less keeps the last aim.
	control.stick.Set(-0.6f, 0.8f);
	Frame(arena, control);
	offset = shieldBody->GetPosition() - body->GetPosition();
	EXPECT_NEAR(3.2f, offset.y, 0.01f);
	EXPECT_FLOAT_EQ(-1.0f, knight->shield->facing);

	control.held[Block] = false;
	Frame(arena, control);
	EXPECT_FALSE(shieldBody->IsEnabled());
}

TEST_F(KnightTest, TheShieldNeedsAGroundContactWithinNineFrames)
{
	control.held[Block] = true;
	Frame(arena, control);
	ASSERT_TRUE(shieldBody->IsEnabled());
	body->SetGravityScale(0.0f);
	Place(body, b2Vec2(0.0f, 20.0f));
	for (int frame = 1; frame <= 9; ++frame)
	{
		Frame(arena, control);
		EXPECT_TRUE(shieldBody->IsEnabled()) << frame;
	}
	Frame(arena, control);
	EXPECT_FALSE(shieldBody->IsEnabled());
}

TEST_F(KnightTest, BlockingDuringASwingKeepsTheSwingAndItsMaceBouncesOffTheShield)
{
	Press(control, Swing);
	Frame(arena, control);
	Proj* mace = Mace();
	ASSERT_NE(nullptr, mace);
	Press(control, Block);
	bool bounced = false;
	for (int frame = 0; frame < 60 && Mace() != nullptr; ++frame)
	{
		Frame(arena, control);
		EXPECT_TRUE(shieldBody->IsEnabled());
		bounced = bounced || knight->shield->Has(HitFlag);
		if (Mace() != nullptr)
		{
			// The ball never gets past the shield standing to the right.
			const b2Vec2 arm = mace->fixture->GetBody()->GetPosition() - body->GetPosition();
			EXPECT_FALSE(arm.x > 0.0f && arm.y < -0.5f) << frame;
		}
	}
	EXPECT_TRUE(bounced);
	EXPECT_GE(Plays(GameSounds::Bounce), 1);
}

TEST_F(KnightTest, TheMaceStrikesAZombieItSwingsInto)
{
	Zombie bystander;
	Place(bystander.fixture->GetBody(), b2Vec2(4.0f, Agent::Radius));
	Press(control, Swing);
	for (int frame = 0; frame < 30 && !bystander.Has(HitFlag); ++frame)
	{
		Frame(arena, control);
	}
	ASSERT_TRUE(bystander.Has(HitFlag));
	EXPECT_FLOAT_EQ(1.0f, bystander.damage);
	ASSERT_NE(nullptr, Mace());
	EXPECT_TRUE(Mace()->Has(SpentFlag));
}

TEST_F(KnightTest, AKnightDefeatedMidSwingKeepsAttackingUntilTheMaceEnds)
{
	Press(control, Swing);
	Frame(arena, control);
	ASSERT_NE(nullptr, Mace());
	knight->flags |= DyingFlag;
	int frames = 0;
	for (; Mace() != nullptr && frames < 600; ++frames)
	{
		EXPECT_TRUE(knight->attacking) << frames;
		Frame(arena, control);
	}
	EXPECT_GT(frames, 1);
	EXPECT_FALSE(knight->attacking);
}

TEST(OtherTests, AnOtherIsAKnightWithItsOwnKindThatNeverActs)
{
	ObjectWorld arena;
	ControlState never;
	Other* other = AddAgent<Other>(arena, 30.0f, Agent::Radius, &never);
	EXPECT_EQ(KindOther, other->kind);
	EXPECT_TRUE(other->Has(PlayerFlag));
	arena.Steps(30);
	EXPECT_EQ(2u, arena.gameWorld.objects.size());
	EXPECT_FALSE(other->shield->fixture->GetBody()->IsEnabled());
	EXPECT_LT(other->fixture->GetBody()->GetLinearVelocity().Length(), 1e-3f);
	EXPECT_FLOAT_EQ(30.0f, other->fixture->GetBody()->GetPosition().x);
}
}
