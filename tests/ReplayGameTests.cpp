// A game recorded in this process (pads through SDL's virtual pads, keyboard play
// through the X server) and played back by the real program: the same
// world, bit for bit, in another process and another build.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/SceneRegistry.h"
#include "framework/input/InputStream.h"
#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/KeyboardPad.h"
#include "tests/support/GameHarness.h"
#include "tests/support/GlWindow.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/XTestInput.h"

namespace
{
constexpr int Frames = 240;
constexpr int16_t FullStick = 30000;

std::string TemporaryPath()
{
	char pattern[] = "/tmp/contest-game-XXXXXX";
	close(mkstemp(pattern));
	return pattern;
}

// The archer on pad 1: paces, looses quick shots and jumps.
void ArcherPad(int frame)
{
	if (frame % 60 == 0)
	{
		PushAxis(1, 0, (frame / 60) % 2 == 0 ? FullStick : -FullStick);
	}
	PushButton(1, 0, frame % 25 == 0);
	if (frame % 50 == 10 || frame % 50 == 14)
	{
		PushButton(1, 1, frame % 50 == 10);
	}
}

// The knight on the keyboard: walks right, swings with quick taps, and lets
// go of D while Ctrl is held (the release arrives as a control code).
void KnightKeys(Display* display, int frame)
{
	if (frame == 10)
	{
		FakeKey(display, XK_d, true);
	}
	if (frame % 40 == 5)
	{
		FakeTap(display, XK_f);
	}
	if (frame == 120)
	{
		FakeKey(display, XK_Control_L, true);
		FakeKey(display, XK_d, false);
		FakeKey(display, XK_Control_L, false);
	}
}

TEST(ReplayGame, AGameRecordedHereReplaysToTheSameWorldInTheProgram)
{
	StartGameHarness();
	TestApp().Scenes().UseRegistry(sceneEntries);
	keyboardPad.SetEnabled(true);
	const std::string path = TemporaryPath();
	std::string error;
	ASSERT_TRUE(TestApp().StartRecording(path, 0, true, &error)) << error;
	// The random numbers as a new program starts them.
	std::srand(1);
	Contest* game = NewGame();
	WindowCallbacks::Register(&TestApp());
	Display* display = GlWindowDisplay();
	MovePointer(display, GlWindowId(), 100, 100);
	FakeTap(display, XK_3);
	for (int frame = 0; frame < Frames; ++frame)
	{
		ArcherPad(frame);
		KnightKeys(display, frame);
		DeliverWindowEvents();
		RunFrame();
	}
	ASSERT_TRUE(game->IsStarted());
	// The end finishes the app's recording, which hears nothing after it.
	TestApp().Stream().EndSession(*TestApp().Scenes().Scene());
	keyboardPad.SetEnabled(false);
	EndGame();

	RunningProgram player({"--replay", path, "--check"});
	EXPECT_EQ(player.WaitForExit(120.0), 0) << player.Output() << player.ErrorOutput();
	EXPECT_NE(player.Output().find("digests matched"), std::string::npos) << player.Output();
	std::remove(path.c_str());
}
} // namespace
