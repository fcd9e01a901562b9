#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/GameGlobals.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Proj.h"
#include "tests/support/Fighters.h"
#include "tests/support/TestSounds.h"

namespace
{
constexpr int Fire = 0;
constexpr int Sprint = 2;
constexpr float Pi = 3.14159265f;
// What gravity takes from a vertical speed in one step.
constexpr float GravityStep = 0.5f;

class ArcherTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		LoadTestSounds();
		archer = AddAgent<Archer>(arena, 0.0f, Agent::Radius, &control);
		body = archer->fixture->GetBody();
		Frames(arena, control, 5);
		StopSounds();
	}

	std::vector<Proj*> Arrows()
	{
		std::vector<Proj*> arrows;
		for (GameObject* object : arena.gameWorld.objects)
		{
			if (object->kind == KindArrow)
			{
				arrows.push_back(static_cast<Proj*>(object));
			}
		}
		return arrows;
	}

	// Press, then release in the next frame; returns the arrows that left
	// in the release frame.
	std::vector<Proj*> Tap()
	{
		Press(control, Fire);
		Frame(arena, control);
		const size_t before = Arrows().size();
		Release(control, Fire);
		Frame(arena, control);
		std::vector<Proj*> arrows = Arrows();
		arrows.erase(arrows.begin(), arrows.begin() + before);
		return arrows;
	}

	// Holds the fire button from a press until the stance is taken.
	void TakeStance()
	{
		Press(control, Fire);
		Frame(arena, control);
		Frames(arena, control, 15);
		ASSERT_FALSE(archer->bowDown);
	}

	ObjectWorld arena;
	ControlState control;
	Archer* archer = nullptr;
	b2Body* body = nullptr;
};

TEST_F(ArcherTest, ATapLoosesOneQuickArrowFortyFiveDegreesUpOnTheFacingSide)
{
	std::vector<Proj*> arrows = Tap();
	ASSERT_EQ(1u, arrows.size());
	const b2Vec2 v = arrows[0]->fixture->GetBody()->GetLinearVelocity();
	const float expected = 60.0f / std::sqrt(2.0f);
	EXPECT_NEAR(expected, v.x, 0.1f);
	EXPECT_NEAR(expected - GravityStep, v.y, 0.1f);
	EXPECT_EQ(archer, arrows[0]->owner.Get(arena.gameWorld));
	EXPECT_TRUE(arrows[0]->Has(PlayerShotFlag));
	EXPECT_EQ(1, Plays(GameSounds::Arrow));
	ASSERT_TRUE(archer->bowBody->IsEnabled());
	EXPECT_NEAR(Pi / 4.0f, archer->bowBody->GetAngle(), 1e-4f);
	// Shown in the release frame and the 14 after it.
	Frames(arena, control, 14);
	EXPECT_TRUE(archer->bowBody->IsEnabled());
	Frame(arena, control);
	EXPECT_FALSE(archer->bowBody->IsEnabled());

	control.stick.x = -3.0f;
	Frame(arena, control);
	control.stick.x = 0.0f;
	arrows = Tap();
	ASSERT_EQ(1u, arrows.size());
	EXPECT_NEAR(-expected, arrows[0]->fixture->GetBody()->GetLinearVelocity().x, 0.1f);
	// A second tap right after it fires again.
	EXPECT_EQ(1u, Tap().size());
	EXPECT_EQ(3, Plays(GameSounds::Arrow));
}

TEST_F(ArcherTest, AHoldOfFifteenFramesTakesTheStanceAndItsReleaseFiresNothing)
{
	Press(control, Fire);
	Frame(arena, control);
	Frames(arena, control, 14);
	EXPECT_TRUE(archer->bowDown);
	Frame(arena, control);
	EXPECT_FALSE(archer->bowDown);
	EXPECT_TRUE(archer->drawLatch);
	EXPECT_TRUE(archer->bowBody->IsEnabled());

	Release(control, Fire);
	Frame(arena, control);
	EXPECT_TRUE(Arrows().empty());
	EXPECT_EQ(0, Plays(GameSounds::Arrow));
	// No aim was given while drawing: the release drops the stance.
	EXPECT_TRUE(archer->bowDown);
	EXPECT_FALSE(archer->drawLatch);
}

TEST_F(ArcherTest, TapsInTheStanceShootAlongTheAim)
{
	TakeStance();
	control.stick.Set(10.0f, -10.0f);
	Frame(arena, control);
	const b2Vec2 bow = archer->bowBody->GetPosition() - body->GetPosition();
	EXPECT_NEAR(3.2f / std::sqrt(2.0f), bow.x, 0.05f);
	EXPECT_NEAR(3.2f / std::sqrt(2.0f), bow.y, 0.05f);
	Release(control, Fire);
	Frame(arena, control);
	ASSERT_FALSE(archer->bowDown);
	EXPECT_TRUE(Arrows().empty());

	control.stick.Set(0.0f, -10.0f);
	for (int shot = 1; shot <= 2; ++shot)
	{
		std::vector<Proj*> arrows = Tap();
		ASSERT_EQ(1u, arrows.size());
		const b2Vec2 v = arrows[0]->fixture->GetBody()->GetLinearVelocity() - body->GetLinearVelocity();
		EXPECT_NEAR(0.0f, v.x, 0.1f);
		EXPECT_NEAR(60.0f - GravityStep, v.y, 0.1f);
		EXPECT_FALSE(archer->bowDown);
	}
	EXPECT_EQ(2, Plays(GameSounds::Arrow));
}

TEST_F(ArcherTest, InTheStanceItTurnsButDoesNotWalkAndCentringTheStickLeavesIt)
{
	TakeStance();
	control.stick.Set(-10.0f, 0.0f);
	Frames(arena, control, 10);
	EXPECT_EQ(-1.0f, archer->facing);
	EXPECT_NEAR(0.0f, body->GetLinearVelocity().x, 1e-3f);
	Release(control, Fire);
	Frame(arena, control);
	ASSERT_FALSE(archer->bowDown);
	control.stick.Set(0.0f, 0.0f);
	Frame(arena, control);
	EXPECT_TRUE(archer->bowDown);
	EXPECT_FALSE(archer->bowBody->IsEnabled());
}

TEST_F(ArcherTest, LeavingTheGroundLeavesTheStanceAndAirborneHoldsNeverTakeIt)
{
	TakeStance();
	body->SetGravityScale(0.0f);
	Place(body, b2Vec2(0.0f, 20.0f));
	Frames(arena, control, 9);
	EXPECT_FALSE(archer->bowDown);
	Frame(arena, control);
	EXPECT_TRUE(archer->bowDown);
	// drawLatch is still set: this release fires nothing.
	Release(control, Fire);
	Frame(arena, control);
	EXPECT_TRUE(Arrows().empty());

	Press(control, Fire);
	Frames(arena, control, 40);
	EXPECT_TRUE(archer->bowDown);
	Release(control, Fire);
	Frame(arena, control);
	EXPECT_EQ(1u, Arrows().size());
}

TEST_F(ArcherTest, SprintingAndFourteenFramesAfterBlockShotsAndStance)
{
	control.held[Sprint] = true;
	Frame(arena, control);
	EXPECT_FLOAT_EQ(1.5f, archer->moveScale);
	EXPECT_FLOAT_EQ(40.0f, archer->maxSpeed);
	EXPECT_TRUE(Tap().empty());
	Press(control, Fire);
	Frames(arena, control, 20);
	EXPECT_TRUE(archer->bowDown);
	Release(control, Fire);
	Frame(arena, control);
	EXPECT_TRUE(Arrows().empty());

	// The last frame with the sprint button held.
	Frame(arena, control);
	control.held[Sprint] = false;
	Frames(arena, control, 12);
	EXPECT_FLOAT_EQ(1.0f, archer->moveScale);
	EXPECT_FLOAT_EQ(20.0f, archer->maxSpeed);
	// Press at frame 13, release at frame 14 after the sprint: too early.
	EXPECT_TRUE(Tap().empty());
	EXPECT_EQ(1u, Tap().size());
	EXPECT_EQ(1, Plays(GameSounds::Arrow));
}

TEST_F(ArcherTest, ArrowsPassThroughBothPlayers)
{
	ControlState idle;
	Knight* knight = AddAgent<Knight>(arena, 8.0f, Agent::Radius, &idle);
	archer->Shoot(b2Vec2(1.0f, 0.0f));
	Proj* arrow = Arrows().at(0);
	b2Body* arrowBody = arrow->fixture->GetBody();
	arrowBody->SetGravityScale(0.0f);
	Frames(arena, control, 20);
	EXPECT_GT(arrowBody->GetPosition().x, 12.0f);
	EXPECT_NEAR(60.0f, arrowBody->GetLinearVelocity().x, 0.01f);
	EXPECT_EQ(0.0f, knight->hurt);
	EXPECT_EQ(0.0f, archer->hurt);
	EXPECT_FALSE(arrow->Has(SpentFlag));
}
}
