#include <gtest/gtest.h>

#include <cstdio>

#include "game/Contest.h"
#include "game/GameGlobals.h"
#include "game/arena/Ground.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/SightComparison.h"
#include "game/objects/SightTree.h"
#include "game/objects/Zombie.h"
#include "tests/support/Fighters.h"
#include "tests/support/GameHarness.h"

namespace
{
#ifdef __SANITIZE_ADDRESS__
// The sanitizers slow the crowd's physics tenfold; the Release build runs
// the full length.
constexpr int CrowdFrames = 60;
#else
constexpr int CrowdFrames = 400;
#endif
constexpr int16_t FullStick = 30000;
constexpr int ShieldButton = 2;
// The knight turns its raised shield to the next direction this often.
constexpr int AimFrames = 40;
constexpr float Height = 10.0f;
constexpr float TargetX = 20.0f;

// A zombie at the origin's height looking along +x at an archer.
class SightTreeTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		archer = AddAgent<Archer>(arena, TargetX, Height, &control);
		zombie = AddAgent<Zombie>(arena, 0.0f, Height);
		zombie->targetA = archer;
		zombie->targetB = archer;
		zombie->target = archer;
	}

	b2Fixture* AddEdge(b2Vec2 a, b2Vec2 b, bool oneSided)
	{
		b2EdgeShape edge;
		if (oneSided)
		{
			edge.SetOneSided(a + a - b, a, b, b + b - a);
		}
		else
		{
			edge.SetTwoSided(a, b);
		}
		b2FixtureDef def;
		def.shape = &edge;
		def.userData = arena.ground.UserData();
		return arena.groundBody->CreateFixture(&def);
	}

	// A vertical edge across the sight line at x; one-sided, it faces +x,
	// away from the zombie.
	b2Fixture* AddWall(float x, bool oneSided = false)
	{
		return AddEdge(b2Vec2(x, Height - 2.0f), b2Vec2(x, Height + 2.0f), oneSided);
	}

	bool Hides(int32_t& hint)
	{
		tree.Build(arena.groundBody);
		return tree.Hides(b2Vec2(0.0f, Height), b2Vec2(TargetX, Height), *archer->fixture, hint);
	}

	bool Hides()
	{
		int32_t hint = -1;
		return Hides(hint);
	}

	bool CastSees()
	{
		Zombie::MyRayCastClosestCallback ray;
		return zombie->CastSight(ray);
	}

	ObjectWorld arena;
	ControlState control;
	Archer* archer = nullptr;
	Zombie* zombie = nullptr;
	SightTree tree;
};

TEST_F(SightTreeTest, ItHidesOnlyWhatTheWorldCastCannotSee)
{
	EXPECT_FALSE(Hides());
	EXPECT_TRUE(CastSees());

	// The edge shows the zombie its back: the ray passes through.
	AddWall(10.0f, true);
	EXPECT_FALSE(Hides());
	EXPECT_TRUE(CastSees());

	b2Fixture* wall = AddWall(10.0f);
	EXPECT_TRUE(Hides());
	EXPECT_FALSE(CastSees());
	arena.groundBody->DestroyFixture(wall);

	// An edge just before the archer's circle is a near tie: the world cast
	// decides it. Twice the margin before the circle, the tree does.
	const float entry = (TargetX - Agent::Radius) / TargetX;
	wall = AddWall((entry - 0.5f * SightTree::TieMargin) * TargetX);
	EXPECT_FALSE(Hides());
	EXPECT_FALSE(CastSees());
	arena.groundBody->DestroyFixture(wall);
	wall = AddWall((entry - 2.0f * SightTree::TieMargin) * TargetX);
	EXPECT_TRUE(Hides());
	arena.groundBody->DestroyFixture(wall);

	archer->fixture->GetBody()->SetEnabled(false);
	EXPECT_TRUE(Hides());
	EXPECT_FALSE(CastSees());
	archer->fixture->GetBody()->SetEnabled(true);

	// A ground that takes no part in the world hides nothing.
	AddWall(10.0f);
	arena.groundBody->SetEnabled(false);
	EXPECT_FALSE(Hides());
	EXPECT_TRUE(CastSees());
}

TEST_F(SightTreeTest, AnyHintGivesTheSameAnswerAndLearnsTheHidingEdge)
{
	// Only the last wall hides the archer: the first stands behind it, the
	// second shows the zombie its back.
	AddWall(30.0f);
	AddWall(5.0f, true);
	AddWall(10.0f);
	int32_t learned = -1;
	ASSERT_TRUE(Hides(learned));
	ASSERT_GE(learned, 0);
	ASSERT_LT(learned, tree.GetEdgeCount());
	for (int32_t start : {-1, 0, 1, 2, learned, tree.GetEdgeCount(), 1000})
	{
		int32_t hint = start;
		EXPECT_TRUE(Hides(hint)) << start;
		EXPECT_EQ(learned, hint) << start;
	}
}

// A game with every tile of the spawn band filled and the fighters held up
// in the band, the knight blocking and turning its shield: in every frame
// every zombie's sight path gives the plain world cast's answers.
TEST(SightPath, EveryZombieInEveryFrameAnswersAsThePlainWorldCast)
{
	StartGameHarness();
	Contest* game = NewGame();
	GodMode = true;
	// More than the band holds: the wave fills it.
	game->RequestWave(static_cast<uint32_t>(game->GetGround().openTiles.size()));
	RunFrame();
	ASSERT_GT(game->GetWaveSize(), 3000u);

	// A ledge of flat floor in the band (row 46), where no zombie sees the
	// fighters' start.
	const float floor = 46.0f * Ground::TileSize;
	const b2Vec2 spots[] = {b2Vec2(16.5f * Ground::TileSize, floor + Agent::Radius),
		b2Vec2(19.5f * Ground::TileSize, floor + Agent::Radius)};
	const int16_t aims[][2] = {{FullStick, 0}, {0, -FullStick}, {static_cast<int16_t>(-FullStick), 0}};
	PushButton(0, ShieldButton, true);

	SightComparison sight;
	for (int frame = 0; frame < CrowdFrames; ++frame)
	{
		const Agent* fighters[] = {game->GetKnight(), game->GetArcher()};
		for (int i = 0; i < 2; ++i)
		{
			b2Body* body = fighters[i]->fixture->GetBody();
			body->SetTransform(spots[i], 0.0f);
			body->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
		}
		if (frame % AimFrames == 0)
		{
			const int16_t* aim = aims[(frame / AimFrames) % 3];
			PushAxis(0, 0, aim[0]);
			PushAxis(0, 1, aim[1]);
		}
		RunFrame();
		sight.Compare(game->GetGameWorld().objects);
	}

	const SightComparison::Counts& c = sight.GetCounts();
	std::printf("%d frames, %u zombies: %lld rays, %lld hidden by the sight tree, %lld cast, %lld in sight, "
				"%lld with a shield noted, %lld differ\n",
		CrowdFrames, game->GetWaveSize(), static_cast<long long>(c.rays), static_cast<long long>(c.hidden),
		static_cast<long long>(c.rays - c.hidden), static_cast<long long>(c.inSight),
		static_cast<long long>(c.shieldsNoted), static_cast<long long>(c.mismatches));
	EXPECT_EQ(0, c.mismatches);
	EXPECT_GT(c.hidden, 0);
	EXPECT_GT(c.rays - c.hidden, 0);
	EXPECT_GT(c.inSight, 0);
	EXPECT_GT(c.shieldsNoted, 0);
	EndGame();
}
} // namespace
