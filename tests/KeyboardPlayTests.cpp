// Keyboard play in the real game: keys become pad events, the fighters
// answer them exactly as they answer pads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/PadControls.h"
#include "game/GameGlobals.h"
#include "game/Input.h"
#include "game/KeyboardPad.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Zombie.h"
#include "tests/support/GameHarness.h"
#include "tests/support/TextCapture.h"

namespace
{
constexpr unsigned char Tab = '\t';

void Release(unsigned char key)
{
	TestApp().Router().KeyUp(key, 0, 0);
}

int Count(const Contest& game, int kind)
{
	int count = 0;
	for (const GameObject* object : game.GetGameWorld().objects)
	{
		count += object->kind == kind;
	}
	return count;
}

b2Vec2 Position(const Agent* agent)
{
	return agent->fixture->GetBody()->GetPosition();
}

// Gathers the wave in the lower cave, where the fighters are: zombies only
// hunt what they can see, and none of the spawn band sees the start.
void GatherZombiesAbove(Contest& game)
{
	int placed = 0;
	for (GameObject* object : game.GetGameWorld().objects)
	{
		if (object->kind == KindZombie)
		{
			static_cast<Zombie*>(object)->fixture->GetBody()->SetTransform(
				b2Vec2(70.0f + 14.0f * placed, 30.0f), 0.0f);
			++placed;
		}
	}
}

class KeyboardPlayTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		StartGameHarness();
		keyboardPad.SetEnabled(false);
		game = NewGame();
		RunFrame();
	}

	void TearDown() override
	{
		keyboardPad.SetEnabled(false);
		EndGame();
	}

	// Keyboard play on and a wave nobody can see from the start, so the
	// fighters are left alone.
	void StartWithKeys()
	{
		PressKey(Tab);
		ASSERT_TRUE(keyboardPad.IsEnabled());
		PressKey('1');
		RunFrames(30);
		ASSERT_TRUE(game->IsStarted());
	}

	Contest* game = nullptr;
};

TEST_F(KeyboardPlayTest, WithTheModeOffEveryKeyKeepsItsDesignedMeaning)
{
	EXPECT_FALSE(keyboardPad.IsEnabled());
	PressKey('d');
	PressKey('f');
	RunFrame();
	EXPECT_EQ(game->GetKnightControl().stick.x, 0.0f);
	EXPECT_FALSE(game->GetKnightControl().held[0]);

	PressKey('5');
	RunFrame();
	EXPECT_EQ(game->GetWaveSize(), 50u);
	PressKey('3');
	RunFrame();
	EXPECT_EQ(game->GetWaveSize(), 30u);
	PressKey('l');
	EXPECT_TRUE(GodMode);
	PressKey('m');
	EXPECT_TRUE(game->IsPaused(TestApp().Scenes().settings));
	PressKey('s');
	EXPECT_TRUE(game->SwapsPads());
	PressKey('a');
	EXPECT_TRUE(game->GetArcher()->Has(DyingFlag));
	PressKey('k');
	EXPECT_TRUE(game->GetKnight()->Has(DyingFlag));
}

TEST_F(KeyboardPlayTest, WithTheModeOnTheOperatorLettersAreSuspendedButDigitsStillStart)
{
	StartWithKeys();
	const bool paused = game->IsPaused(TestApp().Scenes().settings);
	for (unsigned char key : {'a', 'k', 'l', 'm', 's', 'e', 'h'})
	{
		PressKey(key);
		Release(key);
	}
	RunFrame();
	EXPECT_FALSE(GodMode);
	EXPECT_EQ(game->IsPaused(TestApp().Scenes().settings), paused);
	EXPECT_FALSE(game->SwapsPads());
	EXPECT_FALSE(game->GetArcher()->Has(DyingFlag));
	EXPECT_FALSE(game->GetKnight()->Has(DyingFlag));
	EXPECT_EQ(game->GetWaveSize(), 10u);
	PressKey('7');
	RunFrame();
	EXPECT_EQ(game->GetWaveSize(), 70u);
}

TEST_F(KeyboardPlayTest, HoldingRightWalksTheKnightRight)
{
	StartWithKeys();
	const float x = Position(game->GetKnight()).x;
	PressKey('d');
	RunFrames(60);
	Release('d');
	EXPECT_GT(Position(game->GetKnight()).x, x + 8.0f);
	EXPECT_EQ(game->GetKnight()->facing, 1.0f);
	RunFrame();
	EXPECT_EQ(game->GetKnightControl().stick.x, 0.0f);
}

TEST_F(KeyboardPlayTest, AHeldSwingKeySwingsOneMaceUntilPressedAgain)
{
	StartWithKeys();
	int swings = 0;
	bool wasAttacking = false;
	PressKey('f');
	for (int i = 0; i < 180; ++i)
	{
		RunFrame();
		swings += game->GetKnight()->attacking && !wasAttacking;
		wasAttacking = game->GetKnight()->attacking;
	}
	EXPECT_EQ(swings, 1);
	EXPECT_FALSE(game->GetKnight()->attacking);

	Release('f');
	RunFrame();
	PressKey('f');
	RunFrame();
	EXPECT_TRUE(game->GetKnight()->attacking);
	EXPECT_EQ(Count(*game, KindMace), 1);
	Release('f');
}

TEST_F(KeyboardPlayTest, ArcherQuickTapShootsOnceAndAHoldTakesTheStance)
{
	StartWithKeys();
	PressKey('h');
	RunFrame();
	Release('h');
	RunFrame();
	EXPECT_EQ(Count(*game, KindArrow), 1);

	RunFrames(20);
	const int arrows = Count(*game, KindArrow);
	PressKey('h');
	RunFrames(20);
	EXPECT_FALSE(game->GetArcher()->bowDown);
	Release('h');
	RunFrame();
	EXPECT_LE(Count(*game, KindArrow), arrows);
	EXPECT_EQ(game->GetArcherControl().held[0], false);
}

TEST_F(KeyboardPlayTest, DiagonalKeysGiveAClampedDiagonal)
{
	StartWithKeys();
	PressKey('w');
	PressKey('d');
	RunFrame();
	const b2Vec2 stick = game->GetKnightControl().stick;
	EXPECT_NEAR(stick.Length(), PadControls::MaxStickLength, 1e-3f);
	EXPECT_NEAR(stick.x, -stick.y, 1e-4f);
	EXPECT_GT(stick.x, 0.0f);
	Release('w');
	Release('d');
}

TEST_F(KeyboardPlayTest, SwitchingTheModeOffReleasesHeldKeys)
{
	StartWithKeys();
	PressKey('q');
	PressKey('j');
	RunFrame();
	EXPECT_TRUE(game->GetKnightControl().held[2]);
	EXPECT_LT(game->GetArcherControl().stick.x, 0.0f);

	PressKey(Tab);
	EXPECT_FALSE(keyboardPad.IsEnabled());
	RunFrame();
	EXPECT_FALSE(game->GetKnightControl().held[2]);
	EXPECT_TRUE(game->GetKnightControl().changed[2]);
	EXPECT_EQ(game->GetArcherControl().stick.x, 0.0f);
	// The letters are operator keys again: 'q' means nothing, the key up
	// of the still-held 'j' changes nothing.
	Release('q');
	Release('j');
	RunFrame();
	EXPECT_FALSE(game->GetKnightControl().changed[2]);
}

TEST_F(KeyboardPlayTest, TheStartScreenSaysHowToStartAndWhichKeysPlay)
{
	TextCapture text;
	RunFrame();
	EXPECT_NE(text.IndexOf("Start: any pad button for a wave of 80, or a number key"), -1);
	EXPECT_NE(text.IndexOf("Tab: play both fighters from the keyboard"), -1);
	EXPECT_NE(text.IndexOf("The wave waits in the upper caves: climb the slopes to meet it; hold jump to jump higher"), -1);
	EXPECT_EQ(text.IndexOf("Knight:"), -1);

	PressKey(Tab);
	text.Clear();
	RunFrame();
	EXPECT_EQ(text.Find("Knight:"), "Knight: W up, A left, S down, D right, F swing, E jump, Q shield, Enter pause");
	EXPECT_EQ(text.Find("Archer:"), "Archer: I up, J left, K down, L right, H shoot, U jump, O sprint");
	EXPECT_NE(text.IndexOf("Tab: keyboard play off"), -1);
	// Swapped pads: W A S D play the archer, and the help says so.
	game->SetPanelItem("swapPads", 1.0f);
	text.Clear();
	RunFrame();
	EXPECT_EQ(text.Find("Archer:"), "Archer: W up, A left, S down, D right, F shoot, E jump, Q sprint, Enter pause");
	game->SetPanelItem("swapPads", 0.0f);

	PressKey('1');
	text.Clear();
	RunFrame();
	EXPECT_EQ(text.IndexOf("Knight:"), -1);
}

// Two players on one keyboard: the knight walks to the nearest zombie and
// swings, the archer turns towards it and looses quick arrows.
class KeyScript
{
public:
	explicit KeyScript(Contest& game) : game(game) {}

	void Frame(int frame)
	{
		Steer(game.GetKnight(), 'a', 'd', knightKey, 4.0f);
		Tap(frame % 30, 'f');
		Steer(game.GetArcher(), 'j', 'l', archerKey, 12.0f);
		Tap((frame + 7) % 20, 'h');
	}

	void ReleaseAll()
	{
		for (unsigned char key : {'a', 'd', 'j', 'l', 'f', 'h'})
		{
			Release(key);
		}
	}

private:
	static void Tap(int phase, unsigned char key)
	{
		if (phase == 0)
		{
			PressKey(key);
		}
		else if (phase == 1)
		{
			Release(key);
		}
	}

	// Holds the direction key towards the nearest zombie while it is
	// further than reach.
	void Steer(const Agent* fighter, unsigned char left, unsigned char right, unsigned char& held, float reach)
	{
		const b2Vec2 p = Position(fighter);
		const Zombie* target = nullptr;
		float best = 0.0f;
		for (const GameObject* object : game.GetGameWorld().objects)
		{
			if (object->kind == KindZombie && !object->Has(DyingFlag))
			{
				const Zombie* zombie = static_cast<const Zombie*>(object);
				const float d = (Position(zombie) - p).LengthSquared();
				if (target == nullptr || d < best)
				{
					target = zombie;
					best = d;
				}
			}
		}
		unsigned char want = 0;
		if (target != nullptr)
		{
			const float dx = Position(target).x - p.x;
			if (std::fabs(dx) > reach)
			{
				want = dx > 0.0f ? right : left;
			}
		}
		if (want != held)
		{
			if (held != 0)
			{
				Release(held);
			}
			if (want != 0)
			{
				PressKey(want);
			}
			held = want;
		}
	}

	Contest& game;
	unsigned char knightKey = 0;
	unsigned char archerKey = 0;
};

TEST_F(KeyboardPlayTest, TwoPlayersOnOneKeyboardWinASmallWave)
{
	// No harm, and a pause while the wave is gathered, switched with their
	// operator keys before keyboard play goes on.
	PressKey('1');
	PressKey('l');
	PressKey('m');
	RunFrame();
	ASSERT_EQ(game->GetWaveSize(), 10u);
	ASSERT_TRUE(GodMode);
	GatherZombiesAbove(*game);
	PressKey('m');
	PressKey(Tab);
	ASSERT_TRUE(keyboardPad.IsEnabled());

	KeyScript script(*game);
	constexpr int MaxFrames = 60 * 240;
	int frame = 0;
	for (; frame < MaxFrames && (game->GetOverlays() & Contest::WinOverlay) == 0; ++frame)
	{
		script.Frame(frame);
		RunFrame();
	}
	script.ReleaseAll();
	std::printf("won from the keyboard after %d frames, %u kills\n", frame, KillCount);
	EXPECT_GE(KillCount, 10u);
	EXPECT_EQ(game->GetOverlays(), Contest::WinOverlay);
	EXPECT_FALSE(game->GetKnight()->Has(DyingFlag));
	EXPECT_FALSE(game->GetArcher()->Has(DyingFlag));
}
} // namespace
