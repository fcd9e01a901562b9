#include <gtest/gtest.h>

#include <cmath>

#include "game/GameGlobals.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Shield.h"
#include "tests/support/Fighters.h"
#include "tests/support/TestSounds.h"

namespace
{
constexpr float Pi = 3.14159265f;
constexpr int Jump = 1;
constexpr float FullStick = 32.767f;

b2Contact* GroundContact(b2Body* body)
{
	for (b2ContactEdge* edge = body->GetContactList(); edge != nullptr; edge = edge->next)
	{
		if (edge->contact->IsTouching() && GameObject::FlagsOf(edge->other->GetFixtureList()) & GroundFlag)
		{
			return edge->contact;
		}
	}
	return nullptr;
}

// A knight standing still on the floor at x, with its control.
struct Standing
{
	explicit Standing(float x = 0.0f)
	{
		knight = AddAgent<Knight>(arena, x, Agent::Radius, &control);
		body = knight->fixture->GetBody();
		Frames(arena, control, 5);
	}

	ObjectWorld arena;
	ControlState control;
	Knight* knight = nullptr;
	b2Body* body = nullptr;
};

// Adds a straight ground slope rising at degrees from (x, 0) and puts a
// knight on it, halfway up.
Knight* KnightOnSlope(ObjectWorld& arena, ControlState& control, float x, float degrees)
{
	const float angle = degrees * Pi / 180.0f;
	const b2Vec2 along(std::cos(angle), std::sin(angle));
	const b2Vec2 normal(-along.y, along.x);
	arena.AddGroundEdge(b2Vec2(x, 0.0f), b2Vec2(x, 0.0f) + 40.0f * along);
	const b2Vec2 centre = b2Vec2(x, 0.0f) + 20.0f * along + Agent::Radius * normal;
	return AddAgent<Knight>(arena, centre.x, centre.y, &control);
}

TEST(AgentWalking, TheImpulseFollowsTheGroundTangent)
{
	Standing s;
	const float angle = 30.0f * Pi / 180.0f;
	// Uphill to the right: the normal leans left.
	const b2Vec2 normal(-std::sin(angle), std::cos(angle));
	s.knight->groundNormal = normal;
	s.body->SetLinearVelocity(b2Vec2(0.0f, 0.0f));

	s.knight->Move(2.0f, true);

	const b2Vec2 v = s.body->GetLinearVelocity();
	const float mass = s.body->GetMass();
	EXPECT_NEAR(2.0f * normal.y / mass, v.x, 1e-4f);
	EXPECT_NEAR(-2.0f * normal.x / mass, v.y, 1e-4f);
	EXPECT_TRUE(s.knight->pushing);
	EXPECT_FLOAT_EQ(1.0f, s.knight->facing);
}

TEST(AgentWalking, FullStickStopsAddingAtTheSpeedLimit)
{
	Standing s;
	s.control.stick.x = -FullStick;
	Frames(s.arena, s.control, 120);
	const float perFrame = FullStick / s.body->GetMass();
	const float speed = -s.body->GetLinearVelocity().x;
	EXPECT_GT(speed, s.knight->maxSpeed - perFrame);
	EXPECT_LE(speed, s.knight->maxSpeed + perFrame);
	EXPECT_FLOAT_EQ(-1.0f, s.knight->facing);
}

TEST(AgentWalking, NoFrictionWhilePushingFullFrictionWhenReleased)
{
	Standing s;
	s.control.stick.x = 3.0f;
	Frames(s.arena, s.control, 30);
	b2Contact* contact = GroundContact(s.body);
	ASSERT_NE(nullptr, contact);
	EXPECT_FLOAT_EQ(0.0f, contact->GetFriction());
	ASSERT_GT(s.body->GetLinearVelocity().x, 5.0f);

	s.control.stick.x = 0.0f;
	Frame(s.arena, s.control);
	contact = GroundContact(s.body);
	ASSERT_NE(nullptr, contact);
	EXPECT_FLOAT_EQ(1.0f, contact->GetFriction());
	Frames(s.arena, s.control, 60);
	EXPECT_NEAR(0.0f, s.body->GetLinearVelocity().x, 0.01f);
}

TEST(AgentWalking, AStickWithinAThousandthDoesNothing)
{
	for (float stick : {0.001f, -0.001f})
	{
		Standing s;
		s.body->SetLinearVelocity(b2Vec2(-4.0f, 0.0f));
		s.knight->facing = stick > 0.0f ? -1.0f : 1.0f;
		const float facing = s.knight->facing;
		const float phase = s.knight->walkPhase;
		s.knight->Move(stick, true);
		EXPECT_EQ(facing, s.knight->facing) << stick;
		EXPECT_EQ(phase, s.knight->walkPhase) << stick;
		EXPECT_FALSE(s.knight->pushing) << stick;
		EXPECT_FLOAT_EQ(-4.0f, s.body->GetLinearVelocity().x) << stick;

		s.knight->Move(stick * 1.5f, true);
		EXPECT_EQ(-facing, s.knight->facing) << stick;
		EXPECT_TRUE(s.knight->pushing) << stick;
	}
}

// The gait advances by 0.02 per frame for each 10 units of speed along the
// ground and bobs by a quarter unit, but only within the ground grace.
TEST(AgentWalking, TheGaitFollowsTheSpeedAndBobsOnlyNearTheGround)
{
	Standing s;
	s.body->SetLinearVelocity(b2Vec2(20.0f, 0.0f));
	s.knight->walkPhase = 0.99f;
	s.knight->Move(1.0f, false);
	EXPECT_NEAR(0.03f, s.knight->walkPhase, 1e-5f);
	EXPECT_NEAR(0.25f * std::sin(2.0f * Pi * 2.0f * 0.03f), s.knight->bob, 1e-5f);

	s.knight->groundTimer = 0;
	s.knight->Move(1.0f, false);
	EXPECT_NEAR(0.07f, s.knight->walkPhase, 1e-5f);
	EXPECT_EQ(0.0f, s.knight->bob);
}

TEST(AgentJumping, APressOnTheGroundGivesTenFramesOfImpulse)
{
	Standing s;
	const float mass = s.body->GetMass();
	Press(s.control, Jump);
	Frames(s.arena, s.control, 25);

	// Ten impulses of 20, and gravity for 25 frames.
	const float expected = 10.0f * 20.0f / mass - 25.0f * 30.0f / 60.0f;
	EXPECT_NEAR(expected, s.body->GetLinearVelocity().y, 0.05f);
	EXPECT_EQ(0, s.knight->jumpTimer);

	// Airborne: a new press gives nothing.
	Release(s.control, Jump);
	Frame(s.arena, s.control);
	Press(s.control, Jump);
	Frame(s.arena, s.control);
	EXPECT_EQ(0, s.knight->jumpTimer);
	EXPECT_NEAR(expected - 2.0f * 0.5f, s.body->GetLinearVelocity().y, 0.05f);
}

TEST(AgentJumping, ReleasingTheButtonCutsTheJumpShort)
{
	Standing s;
	Press(s.control, Jump);
	Frames(s.arena, s.control, 2);
	Release(s.control, Jump);
	Frame(s.arena, s.control);
	EXPECT_EQ(0, s.knight->jumpTimer);
	// Two impulses of 20, and gravity for three frames.
	EXPECT_NEAR(2.0f * 20.0f / s.body->GetMass() - 3.0f * 0.5f, s.body->GetLinearVelocity().y, 0.05f);
}

TEST(AgentJumping, HoldingTheButtonFromBeforeLandingDoesNotJump)
{
	ObjectWorld arena;
	ControlState control;
	Knight* knight = AddAgent<Knight>(arena, 0.0f, 6.0f, &control);
	Press(control, Jump);
	Frames(arena, control, 40);
	EXPECT_EQ(0, knight->jumpTimer);
	EXPECT_NEAR(0.0f, knight->fixture->GetBody()->GetLinearVelocity().y, 0.01f);
	EXPECT_EQ(10, knight->groundTimer);
}

TEST(AgentGround, SlopesSteeperThanAbout45Point6DegreesAreNotGround)
{
	for (float degrees : {44.0f, 47.0f})
	{
		ObjectWorld arena;
		ControlState control;
		Knight* knight = KnightOnSlope(arena, control, 0.0f, degrees);
		knight->fixture->GetBody()->SetGravityScale(0.0f);
		arena.PhysicsPass();
		ASSERT_NE(nullptr, GroundContact(knight->fixture->GetBody())) << degrees;
		EXPECT_EQ(degrees < 45.0f, knight->onGround) << degrees;
		EXPECT_EQ(degrees < 45.0f ? 10 : 0, knight->groundTimer) << degrees;
		if (degrees < 45.0f)
		{
			EXPECT_NEAR(-std::sin(degrees * Pi / 180.0f), knight->groundNormal.x, 1e-3f);
		}
	}
}

// Harm: every frame touched costs 0.01, recovery is 0.001 per frame.
class FighterHarm : public ::testing::Test
{
protected:
	void SetUp() override
	{
		LoadTestSounds();
		GodMode = false;
		knight = AddAgent<Knight>(arena, 0.0f, Agent::Radius, &control);
		archer = AddAgent<Archer>(arena, 20.0f, Agent::Radius, &control);
		Frames(arena, control, 3);
		StopSounds();
	}
	void TearDown() override { GodMode = false; }

	int FighterCries() { return Plays(GameSounds::P1) + Plays(GameSounds::P2); }

	ObjectWorld arena;
	ControlState control;
	Knight* knight = nullptr;
	Archer* archer = nullptr;
};

TEST_F(FighterHarm, AHitCostsAHundredthAndCriesOut)
{
	knight->flags |= HitFlag;
	Frame(arena, control);
	EXPECT_NEAR(0.009f, knight->hurt, 1e-6f);
	EXPECT_FALSE(knight->Has(HitFlag));
	EXPECT_EQ(1, FighterCries());
	Frames(arena, control, 5);
	EXPECT_NEAR(0.004f, knight->hurt, 1e-6f);
	Frames(arena, control, 10);
	EXPECT_EQ(0.0f, knight->hurt);

	// No harm in god mode, but the cry all the same.
	GodMode = true;
	archer->flags |= HitFlag;
	Frame(arena, control);
	EXPECT_EQ(0.0f, archer->hurt);
	EXPECT_EQ(2, FighterCries());
}

TEST_F(FighterHarm, TheKnightGoesDownAtOne)
{
	b2Body* shieldBody = knight->shield->fixture->GetBody();
	control.held[2] = true;
	Frame(arena, control);
	ASSERT_TRUE(shieldBody->IsEnabled());
	StopSounds();

	knight->hurt = 0.995f;
	knight->flags |= HitFlag;
	arena.UpdatePass();
	EXPECT_TRUE(knight->Has(DyingFlag));
	EXPECT_FALSE(shieldBody->IsEnabled());
	EXPECT_TRUE(knight->fixture->GetBody()->IsEnabled());
	EXPECT_EQ(0, FighterCries());
	arena.PhysicsPass();

	Frame(arena, control);
	EXPECT_FALSE(knight->fixture->GetBody()->IsEnabled());
	EXPECT_NEAR(0.9f, knight->fade, 1e-6f);
	Frames(arena, control, 12);
	EXPECT_EQ(0.0f, knight->fade);
	EXPECT_EQ(3u, arena.gameWorld.objects.size());
}

TEST_F(FighterHarm, TheArcherGoesDownAtOneAndStopsActing)
{
	control.stick.x = 5.0f;
	Press(control, 0);
	Frame(arena, control);
	Release(control, 0);
	Frame(arena, control);
	ASSERT_TRUE(archer->bowBody->IsEnabled());
	const size_t objects = arena.gameWorld.objects.size();

	archer->hurt = 1.0f;
	archer->flags |= HitFlag;
	Frame(arena, control);
	EXPECT_TRUE(archer->Has(DyingFlag));
	EXPECT_FALSE(archer->bowBody->IsEnabled());

	// Down: no more shots and no more walking.
	Press(control, 0);
	Frame(arena, control);
	Release(control, 0);
	Frame(arena, control);
	EXPECT_EQ(objects, arena.gameWorld.objects.size());
	EXPECT_FALSE(archer->fixture->GetBody()->IsEnabled());
}
}
