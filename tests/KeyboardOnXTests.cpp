// Keyboard play driven through the X server: XTest keys reach the game's
// window with X's auto-repeat, modifiers and focus, as a player's keys do.
#include <gtest/gtest.h> // before Xlib, whose None macro breaks it

#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <chrono>
#include <thread>

#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/KeyboardPad.h"
#include "game/objects/Knight.h"
#include "tests/support/GameHarness.h"
#include "tests/support/GlWindow.h"
#include "tests/support/XTestInput.h"

namespace
{
Display* x = nullptr;
int jumps = 0;
int swings = 0;

// Real time at the frame rate: X events, then (with frames) one game frame,
// counting the knight's new jumps and swings.
void Play(double seconds, bool frames = true)
{
	const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
	while (std::chrono::steady_clock::now() < end)
	{
		DeliverWindowEvents();
		if (Contest* game = frames ? CurrentGame() : nullptr)
		{
			const int jumpTimer = game->GetKnight()->jumpTimer;
			const bool attacking = game->GetKnight()->attacking;
			RunFrame();
			jumps += game->GetKnight()->jumpTimer > jumpTimer;
			swings += game->GetKnight()->attacking && !attacking;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(16));
	}
}

// Holds the key for seconds of play, or taps it for 6 ms between two frames.
void Press(KeySym key, double seconds = 0.0)
{
	FakeKey(x, key, true);
	Play(seconds);
	std::this_thread::sleep_for(std::chrono::milliseconds(6));
	FakeKey(x, key, false);
	Play(0.3);
}

void Focus(Window window)
{
	XWindowAttributes attributes{};
	while (XGetWindowAttributes(x, window, &attributes) && attributes.map_state != IsViewable)
	{
		Play(0.02);
	}
	XSetInputFocus(x, window, RevertToPointerRoot, CurrentTime);
}

// Each test starts a game with keyboard play on and the keys going to it.
class KeyboardOnX : public ::testing::Test
{
protected:
	void SetUp() override
	{
		StartGameHarness();
		WindowCallbacks::Register(&TestApp());
		// The test runs the frames itself.
		glutDisplayFunc([] {});
		x = GlWindowDisplay();
		NewGame();
		Focus(GlWindowId());
		Press(XK_Tab);
	}

	void TearDown() override
	{
		// Nothing stays held for the next test, whatever failed.
		for (KeySym key : {XK_d, XK_f, XK_z, XK_Control_L})
		{
			FakeKey(x, key, false);
		}
		keyboardPad.SetEnabled(false);
		EndGame();
	}

	// A wave that cannot see the fighters' start leaves them alone.
	static void StartWave()
	{
		Press(XK_1);
		jumps = 0;
		swings = 0;
	}
};

TEST_F(KeyboardOnX, HeldKeysActOnceAndATapShorterThanAFrameCounts)
{
	StartWave();
	Press(XK_e, 2.0);
	Press(XK_f, 2.0);
	EXPECT_EQ(jumps, 1);
	EXPECT_EQ(swings, 1);
	Press(XK_f);
	EXPECT_EQ(swings, 2);
}

TEST_F(KeyboardOnX, AReleaseUnderCtrlOrAfterTheFocusWentElsewhereStopsTheKnight)
{
	StartWave();
	const float& stick = CurrentGame()->GetKnightControl().stick.x;
	FakeKey(x, XK_d, true);
	FakeKey(x, XK_Control_L, true);
	Play(0.2);
	EXPECT_GT(stick, 0.0f);
	FakeKey(x, XK_d, false);
	FakeKey(x, XK_Control_L, false);
	Play(0.2);
	EXPECT_EQ(stick, 0.0f);

	const Window other = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 8, 8, 0, 0, 0);
	XMapWindow(x, other);
	FakeKey(x, XK_d, true);
	Focus(other);
	Play(0.2);
	EXPECT_EQ(stick, 0.0f);
	XDestroyWindow(x, other);
}

TEST_F(KeyboardOnX, AKeyReleasedOverAnotherWindowWhileTheFocusFollowsThePointerStopsTheKnight)
{
	StartWave();
	const float& stick = CurrentGame()->GetKnightControl().stick.x;
	const Window game = GlWindowId();
	// As without a window manager: the keys go to the window under the
	// pointer, here a small one over the game's.
	XSetInputFocus(x, PointerRoot, RevertToPointerRoot, CurrentTime);
	const Window other = XCreateSimpleWindow(x, DefaultRootWindow(x), 100, 100, 50, 50, 0, 0, 0);
	XMapRaised(x, other);
	XWindowAttributes attributes{};
	while (XGetWindowAttributes(x, other, &attributes) && attributes.map_state != IsViewable)
	{
		Play(0.02);
	}
	MovePointer(x, game, 10, 10);
	FakeKey(x, XK_d, true);
	Play(0.2);
	EXPECT_GT(stick, 0.0f);

	MovePointer(x, other, 20, 20);
	Play(0.1);
	FakeKey(x, XK_d, false);
	Play(0.1);
	MovePointer(x, game, 10, 10);
	Play(0.2);
	EXPECT_EQ(stick, 0.0f);
	XDestroyWindow(x, other);
}

TEST_F(KeyboardOnX, EnterStartsTheGameRunningThenPausesAndResumesIt)
{
	Press(XK_Return);
	EXPECT_TRUE(CurrentGame()->IsStarted());
	EXPECT_FALSE(CurrentGame()->IsPaused(TestApp().Scenes().settings));
	Press(XK_Return);
	EXPECT_TRUE(CurrentGame()->IsPaused(TestApp().Scenes().settings));
	Press(XK_Return);
	EXPECT_FALSE(CurrentGame()->IsPaused(TestApp().Scenes().settings));
}

// Only X events while 'z' is held: the game's camera would reset the zoom.
float ZoomWhileHoldingZ()
{
	const float before = TestApp().GetView().Zoom();
	FakeKey(x, XK_z, true);
	Play(1.2, false);
	FakeKey(x, XK_z, false);
	Play(0.05, false);
	return TestApp().GetView().Zoom() / before;
}

TEST_F(KeyboardOnX, ZoomKeysRepeatUnlessKeyboardPlayIsOn)
{
	// freeglut tells a repeat from a release by X's key map, so a release
	// falling between a repeat and its handling may let one more through.
	EXPECT_LT(ZoomWhileHoldingZ(), 1.1f * 1.1f * 1.01f);
	Press(XK_Tab);
	EXPECT_GT(ZoomWhileHoldingZ(), 1.1f * 1.1f * 1.1f);
	// And once the game that had keyboard play on is gone: it lets go of
	// the window's repeat, and of every key, when deleted.
	Press(XK_Tab);
	EndGame();
	EXPECT_GT(ZoomWhileHoldingZ(), 1.1f * 1.1f * 1.1f);
}
} // namespace
