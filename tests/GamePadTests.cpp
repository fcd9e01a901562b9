// Game pads through SDL 2's own event path: virtual pads plugged in and
// pulled out while the game runs, read by position or by raw numbers.
#include <X11/keysym.h>
#include <box2d/box2d.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/PadControls.h"
#include "game/GamePads.h"
#include "game/objects/Knight.h"
#include "tests/support/GameHarness.h"
#include "tests/support/RunningProgram.h"
#include "tools/VirtualPad.h"

namespace
{
constexpr int FullStick = 30000;

// Each test starts a game with the harness's two raw pads in slots 0 and 1
// and leaves them so: plugged in again in order, each takes its slot.
class GamePadTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		StartGameHarness();
		game = NewGame();
		RunFrame();
	}

	void TearDown() override
	{
		extra.clear();
		for (int slot : {0, 1})
		{
			HarnessPad(slot).Unplug();
		}
		RunFrame();
		for (int slot : {0, 1})
		{
			HarnessPad(slot).Plug();
			RunFrame();
		}
		gamePads.SetRumble(true);
		EndGame();
	}

	VirtualPad& Plug(VirtualPad::Kind kind, const std::string& name)
	{
		extra.push_back(std::make_unique<VirtualPad>(kind, name));
		return *extra.back();
	}

	// The panel's line for a slot.
	std::string SlotText(int slot) const
	{
		std::vector<PanelItem> items;
		game->GetPanelItems(&items);
		for (const PanelItem& item : items)
		{
			if (item.key == "pad" + std::to_string(slot))
			{
				return item.text;
			}
		}
		return "no such line";
	}

	Contest* game = nullptr;
	std::vector<std::unique_ptr<VirtualPad>> extra;
};

TEST_F(GamePadTest, AKnownPadReadsByPositionWithTheDpadAsAFullStick)
{
	HarnessPad(0).Unplug();
	VirtualPad& pad = Plug(VirtualPad::Kind::Controller, "Test Controller");
	RunFrame();
	EXPECT_EQ(gamePads.Notice(), "pad 0: Test Controller");
	EXPECT_EQ(SlotText(0), "Test Controller");

	// Back is no start button; the north face button is.
	pad.Press(SDL_CONTROLLER_BUTTON_BACK, true);
	RunFrame();
	EXPECT_FALSE(game->IsStarted());
	pad.Press(SDL_CONTROLLER_BUTTON_Y, true);
	RunFrame();
	ASSERT_TRUE(game->IsStarted());
	pad.Press(SDL_CONTROLLER_BUTTON_Y, false);

	// South swings, east jumps, west raises the shield.
	const SDL_GameControllerButton actions[] = {
		SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X};
	for (int action = 0; action < 3; ++action)
	{
		pad.Press(actions[action], true);
		RunFrame();
		for (int button = 0; button < 3; ++button)
		{
			EXPECT_EQ(game->GetKnightControl().held[button], button == action) << action << " " << button;
		}
		EXPECT_TRUE(game->GetKnightControl().changed[action]);
		pad.Press(actions[action], false);
		RunFrame();
	}

	// The D-pad pushes the stick all the way and, let go, hands it back to
	// the stick as it stands; the right stick moves nothing.
	pad.Move(SDL_CONTROLLER_AXIS_LEFTX, FullStick / 2);
	pad.Move(SDL_CONTROLLER_AXIS_RIGHTY, FullStick);
	RunFrame();
	EXPECT_FLOAT_EQ(game->GetKnightControl().stick.x, FullStick / 2000.0f);
	EXPECT_EQ(game->GetKnightControl().stick.y, 0.0f);
	pad.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
	pad.Press(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
	RunFrame();
	EXPECT_NEAR(game->GetKnightControl().stick.x, -PadControls::MaxStickLength / std::sqrt(2.0f), 1e-3f);
	EXPECT_LT(game->GetKnightControl().stick.y, -20.0f);
	pad.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
	pad.Press(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
	RunFrame();
	EXPECT_FLOAT_EQ(game->GetKnightControl().stick.x, FullStick / 2000.0f);
	EXPECT_EQ(game->GetKnightControl().stick.y, 0.0f);

	// Start pauses and resumes.
	for (bool paused : {true, false})
	{
		pad.Press(SDL_CONTROLLER_BUTTON_START, true);
		RunFrame();
		EXPECT_EQ(game->IsPaused(TestApp().Scenes().settings), paused);
		pad.Press(SDL_CONTROLLER_BUTTON_START, false);
		RunFrame();
	}
}

TEST_F(GamePadTest, APadPulledOutLetsGoInTheNextFrameAndGetsItsFighterBack)
{
	PushButton(1, 0, true);
	RunFrame();
	ASSERT_TRUE(game->IsStarted());
	PushButton(1, 0, false);
	PushAxis(0, 0, FullStick);
	PushButton(0, 0, true);
	RunFrames(30);
	const Knight& knight = *game->GetKnight();
	ASSERT_GT(knight.fixture->GetBody()->GetLinearVelocity().x, 1.0f);
	ASSERT_TRUE(game->GetKnightControl().held[0]);

	HarnessPad(0).Unplug();
	RunFrame();
	EXPECT_EQ(game->GetKnightControl().stick.x, 0.0f);
	EXPECT_FALSE(game->GetKnightControl().held[0]);
	EXPECT_EQ(gamePads.Notice(), "pad 0: harness pad 0 pulled out");
	EXPECT_EQ(SlotText(0), "none");
	int frames = 1;
	while (std::abs(knight.fixture->GetBody()->GetLinearVelocity().x) > 0.1f && frames < 120)
	{
		RunFrame();
		++frames;
	}
	EXPECT_LT(frames, 120) << "the knight walks on";
	RecordProperty("FramesToStandStill", frames);

	// Plugged in again, it drives the knight in its first frame; the
	// archer's pad is untouched.
	HarnessPad(0).Plug();
	HarnessPad(0).Press(1, true);
	RunFrame();
	EXPECT_EQ(gamePads.Notice(), "pad 0: harness pad 0");
	EXPECT_TRUE(game->GetKnightControl().held[1]);
	EXPECT_FALSE(game->GetArcherControl().held[1]);
	HarnessPad(0).Press(1, false);
}

TEST_F(GamePadTest, AThirdPadWaitsForAFreeSlotAndAPadPluggedInAgainGetsItsOwnSlot)
{
	// A device's name never reaches the terminal with its control bytes.
	VirtualPad& third = Plug(VirtualPad::Kind::Raw, "Third\x1b[2J Pad");
	third.Press(0, true);
	RunFrame();
	EXPECT_EQ(gamePads.Notice(), "pad ignored: Third?[2J Pad (two pads already play)");
	EXPECT_FALSE(game->IsStarted());

	// The archer's pad leaves and the third, still plugged in, takes the
	// free slot and so the archer.
	HarnessPad(1).Unplug();
	RunFrame();
	EXPECT_EQ(SlotText(1), "Third?[2J Pad");
	EXPECT_EQ(gamePads.Notice(), "pad 1: Third?[2J Pad");

	// Both pulled out, the archer's comes back first and still plays the
	// archer.
	HarnessPad(0).Unplug();
	third.Unplug();
	RunFrame();
	third.Plug();
	RunFrame();
	HarnessPad(0).Plug();
	RunFrame();
	EXPECT_EQ(SlotText(0), "harness pad 0");
	EXPECT_EQ(SlotText(1), "Third?[2J Pad");
	third.Move(0, -FullStick);
	RunFrame();
	EXPECT_LT(game->GetArcherControl().stick.x, -20.0f);
	EXPECT_EQ(game->GetKnightControl().stick.x, 0.0f);
}

TEST_F(GamePadTest, KeyboardPlayAndAPadShareTheFightersAndThePanelSaysWhoPlays)
{
	HarnessPad(1).Unplug();
	PressKey('\t');
	RunFrame();
	EXPECT_EQ(SlotText(0), "harness pad 0");
	EXPECT_EQ(SlotText(1), "keyboard");
	PushButton(0, 1, true);
	RunFrame();
	ASSERT_TRUE(game->IsStarted());
	PushAxis(0, 0, FullStick);
	PressKey('j');
	RunFrame();
	EXPECT_GT(game->GetKnightControl().stick.x, 20.0f);
	EXPECT_LT(game->GetArcherControl().stick.x, -20.0f);
	PressKey('\t');
	RunFrame();
	EXPECT_EQ(SlotText(1), "none");
}

TEST_F(GamePadTest, AFighterGoingDownShakesItsOwnPadUnlessRumbleIsOff)
{
	PushButton(0, 0, true);
	RunFrame();
	ASSERT_TRUE(game->IsStarted());
	PushButton(0, 0, false);
	game->SetPanelItem("swapPads", 1.0f);
	const size_t knightRumbles = HarnessPad(1).Rumbles().size();
	const size_t archerRumbles = HarnessPad(0).Rumbles().size();
	// Knock the knight out: the pad swapped to the knight is pad 1.
	PressKey('k');
	RunFrames(2);
	ASSERT_EQ(HarnessPad(1).Rumbles().size(), knightRumbles + 1);
	EXPECT_EQ(HarnessPad(1).Rumbles().back().low, 0xFFFF);
	EXPECT_EQ(HarnessPad(0).Rumbles().size(), archerRumbles);

	game->SetPanelItem("rumble", 0.0f);
	PressKey('a');
	RunFrames(2);
	EXPECT_EQ(HarnessPad(0).Rumbles().size(), archerRumbles);
}

// Pad lines of a recording, without their frames.
std::vector<std::string> PadLines(const std::string& path)
{
	std::ifstream file(path);
	std::vector<std::string> lines;
	std::string line;
	while (std::getline(file, line))
	{
		const std::size_t at = line.find(" pad ");
		if (at != std::string::npos)
		{
			lines.push_back(line.substr(at + 1));
		}
	}
	return lines;
}

// The real program with a virtual controller plugged into it: its recording
// holds the game's buttons, not the pad's, and the release its pull-out
// caused, and plays back to the same world.
TEST(GamePadProgram, ARecordingKeepsThePadsGameButtonsAndTheReleaseAPullOutCauses)
{
	const std::string base = "/tmp/contest-padplug-" + std::to_string(getpid());
	const std::string pipe = base + ".fifo";
	const std::string recording = base + ".replay";
	ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
	{
		RunningProgram program({"--record", recording}, "dummy", 0,
			{"LD_PRELOAD=" CONTEST_PADPLUG, "CONTEST_PADPLUG=" + pipe,
				"ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"});
		const Window window = program.WaitForWindow(
			"Box2D Version " + std::to_string(b2_version.major) + "." + std::to_string(b2_version.minor) + "." +
				std::to_string(b2_version.revision),
			20.0);
		ASSERT_NE(window, 0u) << program.ErrorOutput();
		std::ofstream commands(pipe);
		const auto say = [&commands](const std::string& command) {
			commands << command << std::endl;
			std::this_thread::sleep_for(std::chrono::milliseconds(250));
		};
		say("plug controller Program Pad");
		// Right shoulder starts the game; then south, the D-pad left over a
		// stick pushed right, and the pad pulled out with both held.
		for (const char* command : {"press 0 10 1", "press 0 10 0", "press 0 0 1", "press 0 0 0", "move 0 0 20000",
				 "press 0 13 1", "press 0 1 1", "unplug 0"})
		{
			say(command);
		}
		program.SendKey(window, XK_Escape);
		EXPECT_EQ(program.WaitForExit(10.0), 0) << program.ErrorOutput();
		EXPECT_NE(program.ErrorOutput().find("pad 0: Program Pad\n"), std::string::npos) << program.ErrorOutput();
	}
	unlink(pipe.c_str());
	std::vector<std::string> lines = PadLines(recording);
	// SDL reports an axis's resting reading before its first move.
	const auto moved = std::find(lines.begin(), lines.end(), "pad axis 0 0 20000");
	lines.erase(std::remove(lines.begin(), moved, "pad axis 0 0 0"), moved);
	const std::vector<std::string> played = {"pad press 0 6 0", "pad release 0 6 0", "pad press 0 0 0",
		"pad release 0 0 0", "pad axis 0 0 20000", "pad axis 0 0 -32767", "pad press 0 1 0"};
	const std::vector<std::string> pulledOut = {"pad axis 0 0 0", "pad release 0 1 0"};
	ASSERT_EQ(lines.size(), played.size() + pulledOut.size()) << testing::PrintToString(lines);
	EXPECT_TRUE(std::equal(played.begin(), played.end(), lines.begin())) << testing::PrintToString(lines);
	EXPECT_TRUE(std::is_permutation(pulledOut.begin(), pulledOut.end(), lines.begin() + played.size()))
		<< testing::PrintToString(lines);

	RunningProgram player({"--replay", recording, "--check"});
	EXPECT_EQ(player.WaitForExit(120.0), 0) << player.Output() << player.ErrorOutput();
	unlink(recording.c_str());
}
} // namespace
