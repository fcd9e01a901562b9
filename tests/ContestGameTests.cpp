#include <gtest/gtest.h>

#include <SDL2/SDL_mixer.h>

#include <cmath>
#include <cstdio>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CONTEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CONTEST_ASAN 1
#endif
#ifdef CONTEST_ASAN
// The sanitizer runtime's own count of live heap bytes (its header is not
// installed with GCC).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/GameGlobals.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Zombie.h"
#include "tests/support/GameHarness.h"
#include "tests/support/TextCapture.h"

namespace
{
constexpr int16_t FullStick = 30000;

size_t HeapInUse()
{
#ifdef CONTEST_ASAN
	return __sanitizer_get_current_allocated_bytes();
#else
	return mallinfo2().uordblks;
#endif
}

// The nearest zombie still standing, or null.
const Zombie* NearestZombie(const Contest& game, const b2Vec2& from)
{
	const Zombie* nearest = nullptr;
	float best = 0.0f;
	for (const GameObject* object : game.GetGameWorld().objects)
	{
		if (object->kind != KindZombie || object->Has(DyingFlag))
		{
			continue;
		}
		const Zombie* zombie = static_cast<const Zombie*>(object);
		const float d = (zombie->fixture->GetBody()->GetPosition() - from).LengthSquared();
		if (nearest == nullptr || d < best)
		{
			nearest = zombie;
			best = d;
		}
	}
	return nearest;
}

// Plays both pads like two players would: the knight walks towards the
// nearest zombie and swings its mace, the archer draws, aims at the nearest
// zombie and looses.
class PadScript
{
public:
	explicit PadScript(Contest& game) : game(game) {}

	void Frame(int frame)
	{
		PlayKnight(frame);
		PlayArcher(frame);
	}

private:
	static int16_t Towards(float d)
	{
		return static_cast<int16_t>(d > 0.0f ? FullStick : -FullStick);
	}

	void PlayKnight(int frame)
	{
		const b2Vec2 k = game.GetKnight()->fixture->GetBody()->GetPosition();
		const Zombie* target = NearestZombie(game, k);
		int16_t stick = 0;
		if (target != nullptr)
		{
			const float dx = target->fixture->GetBody()->GetPosition().x - k.x;
			stick = std::fabs(dx) > 4.0f ? Towards(dx) : 0;
		}
		PushAxis(0, 0, stick);
		const int phase = frame % 30;
		if (phase == 0)
		{
			PushButton(0, 0, true);
		}
		else if (phase == 1)
		{
			PushButton(0, 0, false);
		}
	}

	// Holding fire raises the bow; the release that raised it shoots
	// nothing, then every tap looses an arrow along the stick until the
	// stick comes back to the centre.
	void PlayArcher(int frame)
	{
		const int phase = frame % 48;
		if (phase == 0)
		{
			AimArcher(false);
			PushButton(1, 0, true);
		}
		else if (phase == 17)
		{
			AimArcher(true);
			PushButton(1, 0, false);
		}
		else if (phase >= 20 && phase < 44 && phase % 4 == 0)
		{
			AimArcher(true);
			PushButton(1, 0, true);
		}
		else if (phase >= 20 && phase < 44 && phase % 4 == 1)
		{
			PushButton(1, 0, false);
		}
		else if (phase == 44)
		{
			AimArcher(false);
		}
	}

	void AimArcher(bool atTarget)
	{
		b2Vec2 d(0.0f, 0.0f);
		const b2Vec2 a = game.GetArcher()->fixture->GetBody()->GetPosition();
		const Zombie* target = NearestZombie(game, a);
		if (atTarget && target != nullptr)
		{
			d = target->fixture->GetBody()->GetPosition() - a;
			d.Normalize();
		}
		// The stick's y axis points down.
		PushAxis(1, 0, static_cast<int16_t>(FullStick * d.x));
		PushAxis(1, 1, static_cast<int16_t>(-FullStick * d.y));
	}

	Contest& game;
};

class ContestGameTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		StartGameHarness();
	}

	void TearDown() override
	{
		EndGame();
	}
};
} // namespace

TEST_F(ContestGameTest, TheKnightAndTheArcherWinASmallWavePlayedFromThePads)
{
	Contest* game = NewGame();
	RunFrame();
	// Paused while the wave is gathered.
	PressKey('1');
	PressKey('l');
	PressKey('m');
	RunFrame();
	ASSERT_TRUE(GodMode);
	ASSERT_EQ(game->GetWaveSize(), 10u);
	// Zombies only hunt what they can see; gather the wave in the lower
	// cave above the fighters instead of all over the upper arena.
	int placed = 0;
	for (GameObject* object : game->GetGameWorld().objects)
	{
		if (object->kind == KindZombie)
		{
			static_cast<Zombie*>(object)->fixture->GetBody()->SetTransform(
				b2Vec2(70.0f + 14.0f * placed, 30.0f), 0.0f);
			++placed;
		}
	}
	ASSERT_EQ(placed, 10);
	PressKey('m');

	PadScript script(*game);
	constexpr int MaxFrames = 60 * 240;
	bool sawFight = false;
	int frame = 0;
	// The game line counts the wave down as it falls.
	TextCapture text;
	for (; frame < MaxFrames && (game->GetOverlays() & Contest::WinOverlay) == 0; ++frame)
	{
		const std::string left = text.Find("Zombies left: ");
		ASSERT_EQ(left.substr(0, left.find("   ")),
			frame == 0 ? "" : "Zombies left: " + std::to_string(10 - std::min(KillCount, 10u)) + " of 10");
		text.Clear();
		script.Frame(frame);
		// Mid-fight, some zombies down and some still standing: the frame
		// shows the arena and its sprites, not a cleared screen.
		if (!sawFight && KillCount >= 3)
		{
			const FrameStats stats = RunFrameAndRead();
			EXPECT_GT(game->GetRenderer().spritesDrawn, 4);
			EXPECT_GT(stats.coloured, 0.4);
			EXPECT_GT(stats.colours, 50);
			sawFight = true;
			continue;
		}
		RunFrame();
	}
	std::printf("won after %d frames, %u kills\n", frame, KillCount);
	EXPECT_TRUE(sawFight);
	EXPECT_GE(KillCount, 10u);
	EXPECT_EQ(game->GetOverlays(), Contest::WinOverlay);
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Won);
	EXPECT_FALSE(game->GetKnight()->Has(DyingFlag));
	EXPECT_FALSE(game->GetArcher()->Has(DyingFlag));
	if (game->GetSounds().WinMusic() != nullptr)
	{
		EXPECT_TRUE(Mix_PlayingMusic());
	}
	// Under the win: how to play again; the panel's switch takes the game
	// line away.
	text.Clear();
	RunFrame();
	EXPECT_TRUE(text.Has("The wave is beaten: r plays again"));
	EXPECT_EQ(text.Find("Zombies left: ").substr(0, 26), "Zombies left: 0 of 10   Kn");
	game->SetPanelItem("gameLine", 0.0f);
	text.Clear();
	RunFrame();
	EXPECT_EQ(text.IndexOf("Zombies left: "), -1);
}

TEST_F(ContestGameTest, AHundredRestartsLeaveNothingBehind)
{
	NewGame();
	size_t settled = 0;
	for (int round = 0; round < 100; ++round)
	{
		// Every few rounds a game that ran with a wave, projectiles flying.
		if (round % 3 == 0)
		{
			// The knight swings and the archer shoots.
			PressKey('2');
			PushButton(0, 0, true);
			PushButton(1, 0, true);
			RunFrame();
			PushButton(0, 0, false);
			PushButton(1, 0, false);
		}
		RunFrames(round % 3 == 0 ? 20 : 2);
		PressKey('r');
		ASSERT_NE(CurrentGame(), nullptr);
		EXPECT_EQ(CurrentGame()->GetGameWorld().objects.size(), 7u);
		EXPECT_EQ(GameWorldInstance, &CurrentGame()->GetGameWorld());
		if (round == 9)
		{
			settled = HeapInUse();
		}
	}
	// Ninety more games: a leaked object, body or sound each time would
	// add up to far more than this. The libraries may still take a buffer
	// of their own once, at a time that depends on the machine's load
	// (1 MiB was seen).
	const size_t grown = HeapInUse() > settled ? HeapInUse() - settled : 0;
	EXPECT_LT(grown, 2u * 1024u * 1024u);
}

namespace
{
// A fighter pushed one way from the start until it stops at the first step
// of the arena, still pushing: the share of frames after which a jump press
// would be honoured, and how high a press made there lifts it.
struct StepJump
{
	double honoured;
	float rise;
	float climbed;
};

StepJump JumpAtFirstStop(const Agent& fighter, uint8_t pad, int16_t stick)
{
	const b2Body* body = fighter.fixture->GetBody();
	PushAxis(pad, 0, stick);
	int still = 0;
	for (int frame = 0; frame < 60 * 20 && still < 60; ++frame)
	{
		RunFrame();
		still = std::fabs(body->GetLinearVelocity().x) < 0.5f ? still + 1 : 0;
	}
	constexpr int Watched = 120;
	int honoured = 0;
	for (int frame = 0; frame < Watched; ++frame)
	{
		RunFrame();
		honoured += fighter.onGround ? 1 : 0;
	}
	const b2Vec2 stop = body->GetPosition();
	PushButton(pad, 1, true);
	float top = stop.y;
	for (int frame = 0; frame < 60; ++frame)
	{
		RunFrame();
		top = std::max(top, body->GetPosition().y);
	}
	PushButton(pad, 1, false);
	RunFrames(60);
	std::printf("stopped at (%.1f, %.1f): press honoured after %d of %d frames, rose %.2f, then moved %.2f along\n",
		stop.x, stop.y, honoured, Watched, top - stop.y, body->GetPosition().x - stop.x);
	return {static_cast<double>(honoured) / Watched, top - stop.y, (body->GetPosition().x - stop.x) * stick / std::abs(stick)};
}
} // namespace

TEST_F(ContestGameTest, AFighterWalkingIntoAStepJumpsOntoIt)
{
	for (uint8_t pad : {1, 0})
	{
		Contest* game = NewGame();
		RunFrame();
		PressKey('e');
		// The other fighter steps aside: walking into each other is another
		// matter.
		const Agent* fighter = pad == 0 ? static_cast<const Agent*>(game->GetKnight()) : game->GetArcher();
		const Agent* other = pad == 0 ? static_cast<const Agent*>(game->GetArcher()) : game->GetKnight();
		other->fixture->GetBody()->SetEnabled(false);
		const StepJump jump = JumpAtFirstStop(*fighter, pad, FullStick);
		EXPECT_GT(jump.honoured, 0.9) << int{pad};
		EXPECT_GT(jump.rise, Ground::TileSize) << int{pad};
		EXPECT_GT(jump.climbed, Ground::TileSize) << int{pad};
		EndGame();
	}
}
