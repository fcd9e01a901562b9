// Recording a session in the real program, driven through the X server, and
// playing it back in another run of it.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <box2d/box2d.h>

#include <chrono>
#include <fstream>
#include <unistd.h>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/RunningProgram.h"
#include "tests/support/XTestInput.h"

namespace
{
constexpr unsigned LeftButton = 1;

std::string Title()
{
	return "Box2D Version " + std::to_string(b2_version.major) + "." + std::to_string(b2_version.minor) + "." +
		std::to_string(b2_version.revision);
}

std::string TemporaryPath()
{
	char pattern[] = "/tmp/contest-session-XXXXXX";
	close(mkstemp(pattern));
	return pattern;
}

std::string Read(const std::string& path)
{
	std::ifstream file(path);
	std::stringstream text;
	text << file.rdbuf();
	return text.str();
}

void Pause(int milliseconds)
{
	std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Plays path to its end as fast as frames can be drawn: the exit status.
int Replay(const std::string& path, std::string* output)
{
	RunningProgram player({"--replay", path, "--fast"});
	const int status = player.WaitForExit(120.0);
	*output = player.Output() + player.ErrorOutput();
	return status;
}

// A drag, a thrown bomb, a restart and a bomb launched with Shift held, in
// the scene named, ended by Escape or by signal.
std::string RecordSession(const char* scene, int endSignal)
{
	const std::string path = TemporaryPath();
	RunningProgram program({"--record", path, "--scene", scene});
	const Window window = program.WaitForWindow(Title(), 20.0);
	EXPECT_NE(window, 0u) << program.ErrorOutput();
	Display* display = program.GetDisplay();
	Pause(800);
	MovePointer(display, window, 640, 300);
	FakeButton(display, LeftButton, true);
	for (int step = 0; step < 10; ++step)
	{
		MovePointer(display, window, 640 + 10 * step, 300 - 5 * step);
		Pause(20);
	}
	FakeButton(display, LeftButton, false);
	FakeTap(display, XK_space);
	Pause(300);
	FakeTap(display, XK_r);
	Pause(300);
	FakeKey(display, XK_Shift_L, true);
	MovePointer(display, window, 500, 200);
	FakeClick(display, LeftButton);
	FakeKey(display, XK_Shift_L, false);
	Pause(500);
	if (endSignal == 0)
	{
		FakeTap(display, XK_Escape);
		EXPECT_EQ(program.WaitForExit(10.0), 0);
	}
	else
	{
		program.Signal(endSignal);
		EXPECT_EQ(program.WaitForExit(10.0), 128 + endSignal);
	}
	return path;
}

TEST(ReplayProgram, ARecordedSessionPlaysBackToTheSameWorldAndAChangedOneDoesNot)
{
	const std::string path = RecordSession("Vertical Stack", 0);
	const std::string recording = Read(path);
	ASSERT_NE(recording.find(" shiftdown "), std::string::npos) << recording;
	ASSERT_NE(recording.find(" digest restart "), std::string::npos) << recording;
	ASSERT_NE(recording.find(" end "), std::string::npos) << recording;

	std::string output;
	EXPECT_EQ(Replay(path, &output), 0) << output;
	EXPECT_NE(output.find("digests matched"), std::string::npos) << output;

	// The bomb thrown a little to the side: the world differs from then on.
	std::string changed = recording;
	const size_t shift = changed.find(" shiftdown ") + 11;
	changed.replace(shift, changed.find(' ', shift) - shift, "0x1p+1");
	std::ofstream(path) << changed;
	EXPECT_EQ(Replay(path, &output), 1) << output;
	const int shiftFrame = std::stoi(changed.substr(changed.rfind('\n', shift) + 1));
	const std::string first = "differ; the first at frame ";
	ASSERT_NE(output.find(first), std::string::npos) << output;
	const int mismatchFrame = std::stoi(output.substr(output.find(first) + first.size()));
	EXPECT_GE(mismatchFrame, shiftFrame);
	EXPECT_LE(mismatchFrame, shiftFrame + 60) << output;
	std::remove(path.c_str());
}

TEST(ReplayProgram, ASignalStillEndsTheRecordingProperly)
{
	const std::string path = RecordSession("Tumbler", SIGTERM);
	std::string output;
	EXPECT_EQ(Replay(path, &output), 0) << output << Read(path);
	std::remove(path.c_str());
}

TEST(ReplayProgram, ARecordingCutShortPlaysAndThenHandsOverTheControls)
{
	const std::string path = TemporaryPath();
	std::ofstream(path) << "contest-replay 1\nprogram x\nscene 2\nwindow 320 240\nkeyboard 0\n"
						   "3 key 32\n40 digest frame 0123456789abcdef\n";
	RunningProgram player({"--replay", path});
	const Window window = player.WaitForWindow(Title(), 20.0);
	ASSERT_NE(window, 0u) << player.ErrorOutput();
	std::string errors;
	for (int wait = 0; wait < 200 && errors.find("the controls are yours") == std::string::npos; ++wait)
	{
		Pause(50);
		errors = player.ErrorOutput();
	}
	EXPECT_NE(errors.find("stops after frame 40 without its end"), std::string::npos) << errors;
	EXPECT_NE(errors.find("recorded by version x"), std::string::npos) << errors;
	player.SendKey(window, XK_Escape);
	EXPECT_EQ(player.WaitForExit(10.0), 0);
	std::remove(path.c_str());
}

TEST(ReplayProgram, BadFilesAndOptionsEndWithStatusTwoBeforeAnyWindow)
{
	const std::string garbage = TemporaryPath();
	std::ofstream(garbage) << "contest-replay 1\nprogram x\nscene 99\n";
	const struct
	{
		std::vector<std::string> args;
		std::string says;
	} cases[] = {
		{{"--record", "/no/such/folder/session"}, "cannot write the recording to /no/such/folder/session"},
		{{"--record", "a", "--replay", "b"}, "cannot be used together"},
		{{"--replay", garbage}, garbage + ":3: not a replay"},
		{{"--fast"}, "--fast goes with --replay"},
	};
	for (const auto& c : cases)
	{
		RunningProgram program(c.args);
		EXPECT_EQ(program.WaitForExit(10.0), 2);
		EXPECT_NE(program.ErrorOutput().find(c.says), std::string::npos) << program.ErrorOutput();
	}
	std::remove(garbage.c_str());
}
} // namespace
