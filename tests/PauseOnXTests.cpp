// The game's pause and the shell's, driven by keys through the X server and
// read back from the frames the window shows.
#include <gtest/gtest.h> // before Xlib, whose None macro breaks it

#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <chrono>
#include <thread>

#include "app/SceneRegistry.h"
#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/KeyboardPad.h"
#include "tests/support/GameHarness.h"
#include "tests/support/GlWindow.h"
#include "tests/support/XTestInput.h"

namespace
{
Display* x = nullptr;

// A key pressed and released on the X server, then handed to the shell,
// with a frame after it as a player would see.
void Tap(KeySym key)
{
	FakeTap(x, key);
	for (int i = 0; i < 5; ++i)
	{
		DeliverWindowEvents();
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	}
	RunFrame();
}

// Pixels of the status text's colour in the rows of the first two status
// lines, on the last frame shown.
int StatusTextPixels()
{
	const std::vector<unsigned> pixels = ReadShownFrame();
	constexpr int FirstRow = Test::FirstTextLine - 13;
	constexpr int LastRow = Test::FirstTextLine + Test::TextLineStep;
	int count = 0;
	for (int row = FirstRow; row <= LastRow; ++row)
	{
		const unsigned* line = pixels.data() + static_cast<size_t>(TestApp().GetView().WindowHeight() - 1 - row) * TestApp().GetView().WindowWidth();
		for (int column = 0; column < TestApp().GetView().WindowWidth(); ++column)
		{
			const unsigned r = line[column] >> 16;
			const unsigned g = (line[column] >> 8) & 0xFF;
			const unsigned b = line[column] & 0xFF;
			count += r >= 228 && r <= 231 && g >= 152 && g <= 154 && b >= 152 && b <= 154 ? 1 : 0;
		}
	}
	return count;
}

class PauseOnX : public ::testing::Test
{
protected:
	void SetUp() override
	{
		StartGameHarness();
		TestApp().Scenes().UseRegistry(sceneEntries);
		WindowCallbacks::Register(&TestApp());
		// The test runs the frames itself.
		glutDisplayFunc([] {});
		x = GlWindowDisplay();
		XSetInputFocus(x, GlWindowId(), RevertToPointerRoot, CurrentTime);
		NewGame();
		RunFrame();
	}

	void TearDown() override
	{
		keyboardPad.SetEnabled(false);
		EndGame();
	}

	// Frames of the scene now running: whether its world moved on.
	static bool NextSceneRuns()
	{
		const int steps = TestApp().Scenes().Scene()->GetStepCount();
		RunFrames(3);
		return TestApp().Scenes().Scene()->GetStepCount() == steps + 3;
	}
};

TEST_F(PauseOnX, LeavingTheGameLeavesTheNextDemoRunningUnlessThePlayerPausedOne)
{
	// From the start screen, where the game waits with its world still.
	Tap(XK_Next);
	ASSERT_EQ(TestApp().Scenes().Index(), 1);
	EXPECT_TRUE(NextSceneRuns());

	// From a game paused in play.
	Tap(XK_Prior);
	ASSERT_NE(CurrentGame(), nullptr);
	Tap(XK_1);
	Tap(XK_m);
	ASSERT_TRUE(CurrentGame()->IsPaused(TestApp().Scenes().settings));
	Tap(XK_Next);
	EXPECT_TRUE(NextSceneRuns());

	// A demo the player paused stays paused through a visit to the game.
	Tap(XK_p);
	Tap(XK_Prior);
	Tap(XK_Next);
	EXPECT_FALSE(NextSceneRuns());
}

TEST_F(PauseOnX, APausedGameSaysSoOverItsTilesAndKeyboardPlayShowsALine)
{
	// Only the lines measured here: no game line.
	CurrentGame()->SetPanelItem("gameLine", 0.0f);
	Tap(XK_1);
	const int playing = StatusTextPixels();
	Tap(XK_m);
	const int paused = StatusTextPixels();
	// "****PAUSED****" is some hundred pixels of text.
	EXPECT_GT(paused, playing + 100);
	Tap(XK_Tab);
	EXPECT_GT(StatusTextPixels(), paused + 100);
}
} // namespace
