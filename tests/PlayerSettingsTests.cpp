// The player's settings file, through the real program on the test's X
// server: what a player changes comes back at the next start, a broken file
// costs one line and never the game, and a replay plays as recorded
// whatever the file says.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <box2d/box2d.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/RunningProgram.h"

namespace
{
constexpr double WindowSeconds = 20.0;
constexpr double ExitSeconds = 20.0;
// A key's effect shows in the file after the frame that took it.
constexpr auto SettleTime = std::chrono::milliseconds(600);

std::string ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& text)
{
	std::filesystem::create_directories(std::filesystem::path(path).parent_path());
	std::ofstream(path, std::ios::binary) << text;
}

// The lines of stderr about the settings.
std::vector<std::string> SettingsLines(const std::string& errors)
{
	std::vector<std::string> lines;
	std::istringstream in(errors);
	for (std::string line; std::getline(in, line);)
	{
		if (line.find("settings") != std::string::npos)
		{
			lines.push_back(line);
		}
	}
	return lines;
}

// A config folder of the test's own.
class ConfigFolder
{
public:
	ConfigFolder()
	{
		char pattern[] = "/tmp/contest-settings-test-XXXXXX";
		folder = mkdtemp(pattern);
	}
	~ConfigFolder() { std::filesystem::remove_all(folder); }
	std::string Environment() const { return "XDG_CONFIG_HOME=" + folder; }
	std::string File() const { return folder + "/contest/settings.conf"; }
	const std::string& Folder() const { return folder; }

private:
	std::string folder;
};

struct Ended
{
	int status;
	std::string errors;
	int windowWidth;
};

// Starts the program with args, presses keys in its window, then Escape.
Ended Play(const std::string& environment, const std::vector<std::string>& args, const std::vector<unsigned long>& keys)
{
	RunningProgram program(args, "dummy", 0, {environment});
	const Window window = program.WaitForWindow(WindowTitle(), WindowSeconds);
	EXPECT_NE(window, 0u) << program.ErrorOutput();
	for (unsigned long key : keys)
	{
		program.SendKey(window, key);
		std::this_thread::sleep_for(SettleTime);
	}
	XWindowAttributes attributes{};
	XGetWindowAttributes(program.GetDisplay(), window, &attributes);
	program.SendKey(window, XK_Escape);
	return {program.WaitForExit(ExitSeconds), program.ErrorOutput(), attributes.width};
}

TEST(PlayerSettings, WhatThePlayerChangedComesBackAtTheNextStartAndAnOptionHoldsOnlyItsRun)
{
	ConfigFolder config;
	WriteFile(config.File(), "# my own note\ncolour = blue\n");
	const int screenWidth = 1280;

	// Keyboard play, the panel and full screen switched in a window.
	const Ended first = Play(config.Environment(), {"--window"}, {XK_Tab, XK_F2, XK_F11});
	ASSERT_EQ(first.status, 0) << first.errors;
	EXPECT_NE(first.errors.find("line 2: unknown key \"colour\""), std::string::npos) << first.errors;
	const std::string kept = ReadFile(config.File());
	for (const char* line : {"# my own note\n", "colour = blue\n", "keyboardPlay = 1\n", "panelOpen = 1\n", "fullScreen = 1\n"})
	{
		EXPECT_NE(kept.find(line), std::string::npos) << line << " not in:\n" << kept;
	}

	// The next start is full screen and plays from the keyboard, as its
	// recording's header says.
	const std::string recording = config.Folder() + "/session.replay";
	const Ended second = Play(config.Environment(), {"--record", recording}, {});
	ASSERT_EQ(second.status, 0) << second.errors;
	EXPECT_EQ(second.windowWidth, screenWidth);
	EXPECT_NE(ReadFile(recording).find("\nkeyboard 1\n"), std::string::npos) << ReadFile(recording);
	EXPECT_EQ(ReadFile(config.File()), kept);

	// --window wins for its run, and the file still says full screen.
	const Ended third = Play(config.Environment(), {"--window"}, {});
	ASSERT_EQ(third.status, 0) << third.errors;
	EXPECT_LT(third.windowWidth, screenWidth);
	EXPECT_EQ(ReadFile(config.File()), kept);

	// --rejoin reads the game kept as joined last as --join reads its
	// invite: here one with a port out of range.
	WriteFile(config.File(), kept + "join = 127.0.0.1:99999/" + TestSecret + "\n");
	RunningProgram rejoin({"--rejoin"}, "dummy", 0, {config.Environment()});
	EXPECT_EQ(rejoin.WaitForExit(ExitSeconds), 2);
	EXPECT_NE(rejoin.ErrorOutput().find("--join needs HOST[:PORT]/SECRET or CODE-SECRET, not \"127.0.0.1:99999/"),
		std::string::npos) << rejoin.ErrorOutput();
}

TEST(PlayerSettings, ABrokenFileIsOneLineEachAndTheGameRunsAndKeepsIt)
{
	std::mt19937 random(7);
	std::string garbage;
	for (int i = 0; i < 4000; ++i)
	{
		garbage += static_cast<char>(random() % 256);
	}
	const std::string longLine(10 * 1024 * 1024, 'x');
	const struct
	{
		const char* what;
		std::string text;
		// The stderr lines about the settings, and one of them.
		std::size_t lines;
		const char* says;
	} cases[] = {
		{"garbage", garbage, 6, "more lines that do not read are kept"},
		{"out of range", "musicVolume = 900\nhz = 7\n", 2, "line 2: \"7\" is not a number from 30 to 240"},
		{"a line of 10 MB", longLine + "\n", 1, "line 1: \"xxxxxxxx"},
	};
	for (const auto& broken : cases)
	{
		SCOPED_TRACE(broken.what);
		ConfigFolder config;
		WriteFile(config.File(), broken.text);
		const Ended run = Play(config.Environment(), {"--window"}, {XK_Tab});
		ASSERT_EQ(run.status, 0) << run.errors;
		const std::vector<std::string> lines = SettingsLines(run.errors);
		ASSERT_EQ(lines.size(), broken.lines) << run.errors.substr(0, 2000);
		EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
			[&](const std::string& line) { return line.find(broken.says) != std::string::npos; }))
			<< run.errors.substr(0, 2000);
		EXPECT_LT(run.errors.size(), 2000u);
		// Nothing of it is rewritten away; the change is added.
		const std::string after = ReadFile(config.File());
		EXPECT_EQ(after.find(broken.text.substr(0, 100)), 0u);
		EXPECT_NE(after.find("\nkeyboardPlay = 1\n"), std::string::npos);
	}

	// A folder where the file should be, and a settings folder that cannot
	// be made (XDG_CONFIG_HOME names a file): one line, and the game runs.
	ConfigFolder folder;
	std::filesystem::create_directories(folder.File());
	ConfigFolder file;
	WriteFile(file.Folder() + "/plain", "");
	const struct
	{
		const char* what;
		std::string environment;
		const char* says;
	} unusable[] = {
		{"a folder", folder.Environment(), "cannot be read (it is a folder)"},
		{"no folder", "XDG_CONFIG_HOME=" + file.Folder() + "/plain", "cannot be written to"},
	};
	for (const auto& place : unusable)
	{
		SCOPED_TRACE(place.what);
		const Ended run = Play(place.environment, {"--window"}, {XK_Tab, XK_Tab, XK_Tab});
		ASSERT_EQ(run.status, 0) << run.errors;
		const std::vector<std::string> lines = SettingsLines(run.errors);
		ASSERT_EQ(lines.size(), 1u) << run.errors;
		EXPECT_NE(lines[0].find(place.says), std::string::npos) << lines[0];
	}
}

// The settings that change play (the step rate, the pads' swap, keyboard
// play) go into a recording as it is made, and a replay takes none of them
// from its own file: played under others, the recording and a golden one
// made with none both come to their recorded worlds.
TEST(PlayerSettings, ARecordingCarriesThePlayChangingSettingsAndAReplayTakesNone)
{
	ConfigFolder recorder;
	WriteFile(recorder.File(), "hz = 30\nswapPads = 1\nkeyboardPlay = 1\n");
	const std::string recording = recorder.Folder() + "/session.replay";
	const Ended made = Play(recorder.Environment(), {"--window", "--record", recording}, {XK_1, XK_d, XK_Right});
	ASSERT_EQ(made.status, 0) << made.errors;
	const std::string recorded = ReadFile(recording);
	for (const char* line : {"\nkeyboard 1\n", " change hz ", " change item swapPads 0x1p+0\n"})
	{
		EXPECT_NE(recorded.find(line), std::string::npos) << line << " not in:\n" << recorded;
	}

	ConfigFolder viewer;
	WriteFile(viewer.File(), "hz = 45\nswapPads = 0\nkeyboardPlay = 0\nmusicVolume = 10\ndrawShapes = 0\n");
	for (const std::string& session :
		{recording, std::string(CONTEST_SOURCE_DIR) + "/tests/replays/lost-on-keys.replay"})
	{
		SCOPED_TRACE(session);
		RunningProgram replay({"--replay", session, "--fast"}, "dummy", 0, {viewer.Environment()});
		ASSERT_EQ(replay.WaitForExit(120.0), 0) << replay.Output() << replay.ErrorOutput();
		EXPECT_NE(replay.Output().find("digests matched"), std::string::npos) << replay.Output();
		EXPECT_TRUE(SettingsLines(replay.ErrorOutput()).empty()) << replay.ErrorOutput();
	}
}
} // namespace
