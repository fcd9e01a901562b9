// Keyboard play in the real game: keys become pad events, the fighters
// answer them exactly as they answer pads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "framework/Shell.h"
#include "game/Contest.h"
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
	OnKeyUp(key, 0, 0);
}

int Count(const Contest& game, int kind)
{
	int count = 0;
	for (const GameObject* object : game.gameWorld.objects)
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
	for (GameObject* object : game.gameWorld.objects)
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
		ASSERT_TRUE(game->started);
		RunFrames(30);
	}

	Contest* game = nullptr;
};

TEST_F(KeyboardPlayTest, WithTheModeOffEveryKeyKeepsItsDesignedMeaning)
{
	EXPECT_FALSE(keyboardPad.IsEnabled());
	PressKey('d');
	PressKey('f');
	RunFrame();
	EXPECT_EQ(game->knightControl.stick.x, 0.0f);
	EXPECT_FALSE(game->knightControl.held[0]);

	PressKey('5');
	EXPECT_EQ(game->waveSize, 50u);
	PressKey('3');
	EXPECT_EQ(game->waveSize, 30u);
	PressKey('l');
	EXPECT_TRUE(GodMode);
	PressKey('m');
	EXPECT_TRUE(game->paused);
	PressKey('s');
	EXPECT_TRUE(game->swapPads);
	PressKey('a');
	EXPECT_TRUE(game->archer->Has(DyingFlag));
	PressKey('k');
	EXPECT_TRUE(game->knight->Has(DyingFlag));
}

TEST_F(KeyboardPlayTest, WithTheModeOnTheOperatorLettersAreSuspendedButDigitsStillStart)
{
	StartWithKeys();
	const bool paused = game->paused;
	for (unsigned char key : {'a', 'k', 'l', 'm', 's', 'e', 'h'})
	{
		PressKey(key);
		Release(key);
	}
	RunFrame();
	EXPECT_FALSE(GodMode);
	EXPECT_EQ(game->paused, paused);
	EXPECT_FALSE(game->swapPads);
	EXPECT_FALSE(game->archer->Has(DyingFlag));
	EXPECT_FALSE(game->knight->Has(DyingFlag));
	EXPECT_EQ(game->waveSize, 10u);
	PressKey('7');
	EXPECT_EQ(game->waveSize, 70u);
}

TEST_F(KeyboardPlayTest, HoldingRightWalksTheKnightRight)
{
	StartWithKeys();
	const float x = Position(game->knight).x;
	PressKey('d');
	RunFrames(60);
	Release('d');
	EXPECT_GT(Position(game->knight).x, x + 8.0f);
	EXPECT_EQ(game->knight->facing, 1.0f);
	RunFrame();
	EXPECT_EQ(game->knightControl.stick.x, 0.0f);
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
		swings += game->knight->attacking && !wasAttacking;
		wasAttacking = game->knight->attacking;
	}
	EXPECT_EQ(swings, 1);
	EXPECT_FALSE(game->knight->attacking);

	Release('f');
	RunFrame();
	PressKey('f');
	RunFrame();
	EXPECT_TRUE(game->knight->attacking);
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
	EXPECT_FALSE(game->archer->bowDown);
	Release('h');
	RunFrame();
	EXPECT_LE(Count(*game, KindArrow), arrows);
	EXPECT_EQ(game->archerControl.held[0], false);
}

TEST_F(KeyboardPlayTest, DiagonalKeysGiveAClampedDiagonal)
{
	StartWithKeys();
	PressKey('w');
	PressKey('d');
	RunFrame();
	const b2Vec2 stick = game->knightControl.stick;
	EXPECT_NEAR(stick.Length(), Contest::MaxStickLength, 1e-3f);
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
	EXPECT_TRUE(game->knightControl.held[2]);
	EXPECT_LT(game->archerControl.stick.x, 0.0f);

	PressKey(Tab);
	EXPECT_FALSE(keyboardPad.IsEnabled());
	RunFrame();
	EXPECT_FALSE(game->knightControl.held[2]);
	EXPECT_TRUE(game->knightControl.changed[2]);
	EXPECT_EQ(game->archerControl.stick.x, 0.0f);
	// The letters are operator keys again: 'q' means nothing, the key up
	// of the still-held 'j' changes nothing.
	Release('q');
	Release('j');
	RunFrame();
	EXPECT_FALSE(game->knightControl.changed[2]);
}

TEST_F(KeyboardPlayTest, TheStartScreenSaysHowToStartAndWhichKeysPlay)
{
	TextCapture text;
	RunFrame();
	EXPECT_NE(text.IndexOf("Start: any pad button, or a number key"), -1);
	EXPECT_NE(text.IndexOf("Tab: play both fighters from the keyboard"), -1);
	EXPECT_NE(text.IndexOf("The wave waits in the upper caves: climb the slopes to meet it"), -1);
	EXPECT_EQ(text.IndexOf("Knight:"), -1);

	PressKey(Tab);
	text.Clear();
	RunFrame();
	EXPECT_EQ(text.Find("Knight:"), "Knight: W up, A left, S down, D right, F swing, E jump, Q shield, Enter pause");
	EXPECT_EQ(text.Find("Archer:"), "Archer: I up, J left, K down, L right, H shoot, U jump, O sprint");
	EXPECT_NE(text.IndexOf("Tab: keyboard play off"), -1);

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
		Steer(game.knight, 'a', 'd', knightKey, 4.0f);
		Tap(frame % 30, 'f');
		Steer(game.archer, 'j', 'l', archerKey, 12.0f);
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
		for (const GameObject* object : game.gameWorld.objects)
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
	PressKey(Tab);
	PressKey('1');
	ASSERT_EQ(game->waveSize, 10u);
	// No harm, switched with its operator key while keyboard play is off.
	PressKey(Tab);
	PressKey('l');
	PressKey(Tab);
	ASSERT_TRUE(GodMode);
	ASSERT_TRUE(keyboardPad.IsEnabled());
	GatherZombiesAbove(*game);

	KeyScript script(*game);
	constexpr int MaxFrames = 60 * 240;
	int frame = 0;
	for (; frame < MaxFrames && (game->overlays & Contest::WinOverlay) == 0; ++frame)
	{
		script.Frame(frame);
		RunFrame();
	}
	script.ReleaseAll();
	std::printf("won from the keyboard after %d frames, %u kills\n", frame, KillCount);
	EXPECT_GE(KillCount, 10u);
	EXPECT_EQ(game->overlays, Contest::WinOverlay);
	EXPECT_FALSE(game->knight->Has(DyingFlag));
	EXPECT_FALSE(game->archer->Has(DyingFlag));
}
} // namespace
