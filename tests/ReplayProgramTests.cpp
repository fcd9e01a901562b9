// Recording a session in the real program, driven through the X server, and
// playing it back in another run of it.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

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

// Plays path to its end as fast as frames can be drawn, and checked with no
// window and no X server, which must end and say the same: the exit status.
int Replay(const std::string& path, std::string* output)
{
	RunningProgram drawn({"--replay", path, "--fast"});
	const int status = drawn.WaitForExit(120.0);
	RunningProgram checked({"--replay", path, "--check"}, "dummy", 0, {"DISPLAY"});
	EXPECT_EQ(checked.WaitForExit(120.0), status);
	EXPECT_EQ(checked.Output(), drawn.Output());
	EXPECT_EQ(checked.ErrorOutput(), drawn.ErrorOutput());
	*output = drawn.Output() + drawn.ErrorOutput();
	return status;
}

// A drag, a thrown bomb, a restart and a bomb launched with Shift held, in
// the scene named, ended by Escape or by signal.
std::string RecordSession(const char* scene, int endSignal)
{
	const std::string path = TemporaryPath();
	RunningProgram program({"--record", path, "--scene", scene});
	const Window window = program.WaitForWindow(WindowTitle(), 20.0);
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

// How a replay that handed over the controls went: its exit status once
// Escape was pressed after the handover, and what it said.
struct HandedOver
{
	int status = -1;
	std::string output;
	std::string errors;
};

HandedOver PlayUntilHandedOver(const std::string& path)
{
	HandedOver result;
	RunningProgram player({"--replay", path, "--fast"});
	const Window window = player.WaitForWindow(WindowTitle(), 20.0);
	EXPECT_NE(window, 0u) << player.ErrorOutput();
	for (int wait = 0; wait < 400 && result.errors.find("the controls are yours") == std::string::npos; ++wait)
	{
		Pause(50);
		result.errors = player.ErrorOutput();
	}
	player.SendKey(window, XK_Escape);
	result.status = player.WaitForExit(10.0);
	result.output = player.Output();
	return result;
}

TEST(ReplayProgram, ARecordingCutShortPlaysAndThenHandsOverTheControls)
{
	const std::string path = TemporaryPath();
	std::ofstream(path) << "contest-replay 1\nprogram x\nscene 2\nwindow 320 240\nkeyboard 0\n"
						   "3 key 32\n40 digest frame 0123456789abcdef\n";
	const HandedOver played = PlayUntilHandedOver(path);
	EXPECT_NE(played.errors.find("stops after frame 40 without its end"), std::string::npos) << played.errors;
	EXPECT_NE(played.errors.find("recorded by version x"), std::string::npos) << played.errors;
	// Its digest, made up, differs; the replay says so although it stopped.
	EXPECT_EQ(played.status, 1);
	EXPECT_NE(played.output.find("stopped at frame 40 before its end; 1 of 1 digests so far differ"),
		std::string::npos)
		<< played.output;

	// Checked, nobody takes over: the session ends where the controls would
	// have been handed over, as if the window had been closed then.
	RunningProgram checked({"--replay", path, "--check"}, "dummy", 0, {"DISPLAY"});
	EXPECT_EQ(checked.WaitForExit(20.0), 1);
	EXPECT_EQ(checked.Output(), played.output);
	std::remove(path.c_str());
}

TEST(ReplayProgram, AnEscapeInTheFileStopsTheReplayShortOfSuccess)
{
	const std::string path = TemporaryPath();
	std::ofstream(path) << "contest-replay 1\nprogram x\nscene 2\nwindow 320 240\nkeyboard 0\n"
						   "30 key 27\n60 digest frame 0123456789abcdef\n90 end 0123456789abcdef\n";
	std::string output;
	EXPECT_EQ(Replay(path, &output), 3) << output;
	EXPECT_NE(output.find("stopped at frame 30 before its end; 0 of 0 digests so far differ"), std::string::npos)
		<< output;
	std::remove(path.c_str());
}

TEST(ReplayProgram, ARecordingThatCannotBeWrittenSaysSoOnceAndTheProgramFailsAtItsEnd)
{
	const std::string path = TemporaryPath();
	constexpr long FileSizeLimit = 2048;
	RunningProgram program({"--record", path, "--scene", "Vertical Stack"}, "dummy", FileSizeLimit);
	const Window window = program.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(window, 0u) << program.ErrorOutput();
	Display* display = program.GetDisplay();
	Pause(800);
	// A long drag: its motion fills the file past the limit.
	MovePointer(display, window, 640, 300);
	FakeButton(display, LeftButton, true);
	for (int step = 0; step < 80; ++step)
	{
		MovePointer(display, window, 600 + step, 300 - step % 20);
		Pause(10);
	}
	FakeButton(display, LeftButton, false);
	Pause(300);
	FakeTap(display, XK_Escape);
	EXPECT_EQ(program.WaitForExit(10.0), 1);
	const std::string errors = program.ErrorOutput();
	const std::string says = "recording " + path + " stopped: File too large";
	EXPECT_NE(errors.find(says), std::string::npos) << errors;
	EXPECT_EQ(errors.find(says), errors.rfind(says)) << errors;

	// Cut mid-line where the disk filled, it plays as far as its last whole
	// line.
	const std::string recording = Read(path);
	ASSERT_EQ(recording.size(), static_cast<size_t>(FileSizeLimit));
	EXPECT_NE(recording.back(), '\n');
	EXPECT_NE(PlayUntilHandedOver(path).errors.find("without its end"), std::string::npos);
	std::remove(path.c_str());
}

TEST(ReplayProgram, ClosingTheWindowEndsTheSessionAsEscapeDoes)
{
	// A replay closed after a digest that differs reports it and fails.
	const std::string path = TemporaryPath();
	std::ofstream(path) << "contest-replay 1\nprogram x\nscene 2\nwindow 320 240\nkeyboard 0\n"
						   "1 digest frame 0123456789abcdef\n6000 end 0123456789abcdef\n";
	RunningProgram player({"--replay", path});
	const Window window = player.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(window, 0u) << player.ErrorOutput();
	// Long enough for the first frame even in the sanitizer build.
	Pause(2000);
	player.CloseWindow(window);
	EXPECT_EQ(player.WaitForExit(10.0), 1);
	EXPECT_NE(player.Output().find("1 of 1 digests so far differ"), std::string::npos) << player.Output();

	// A recording closed that way gets its end and plays back.
	RunningProgram recorder({"--record", path, "--scene", "Tumbler"});
	const Window recorded = recorder.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(recorded, 0u) << recorder.ErrorOutput();
	Pause(1000);
	recorder.CloseWindow(recorded);
	EXPECT_EQ(recorder.WaitForExit(10.0), 0);
	std::string output;
	EXPECT_EQ(Replay(path, &output), 0) << output << Read(path);
	std::remove(path.c_str());
}

TEST(ReplayProgram, AKeyPressedJustBeforeTheEndPlaysBackInItsFrame)
{
	// A key handled after the last frame and before Escape or a signal
	// belongs to the frame the end names; a recording that stamped them
	// apart was refused by its own program.
	for (const int endSignal : {0, SIGTERM, 0, SIGTERM})
	{
		const std::string path = TemporaryPath();
		RunningProgram program({"--record", path, "--scene", "Tumbler"});
		const Window window = program.WaitForWindow(WindowTitle(), 20.0);
		ASSERT_NE(window, 0u) << program.ErrorOutput();
		Pause(500);
		FakeTap(program.GetDisplay(), XK_space);
		if (endSignal == 0)
		{
			FakeTap(program.GetDisplay(), XK_Escape);
		}
		else
		{
			program.Signal(endSignal);
		}
		EXPECT_EQ(program.WaitForExit(10.0), endSignal == 0 ? 0 : 128 + endSignal);
		std::string output;
		EXPECT_EQ(Replay(path, &output), 0) << output << Read(path);
		std::remove(path.c_str());
	}
}

TEST(ReplayProgram, ARecordingKilledMidSessionPlaysToItsLastWholeFrame)
{
	// Every frame's lines reach the file at its end: a crash loses at most
	// the frame it happened in.
	const std::string path = TemporaryPath();
	RunningProgram program({"--record", path, "--scene", "Tumbler"});
	const Window window = program.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(window, 0u) << program.ErrorOutput();
	Pause(2500);
	program.Signal(SIGKILL);
	EXPECT_EQ(program.WaitForExit(10.0), 128 + SIGKILL);

	const HandedOver played = PlayUntilHandedOver(path);
	const std::string stops = "stops after frame ";
	ASSERT_NE(played.errors.find(stops), std::string::npos) << played.errors << Read(path);
	EXPECT_GE(std::stoi(played.errors.substr(played.errors.find(stops) + stops.size())), 60) << Read(path);
	EXPECT_EQ(played.status, 3);
	EXPECT_NE(played.output.find(" 0 of "), std::string::npos) << played.output;
	EXPECT_EQ(played.output.find(" 0 of 0 "), std::string::npos) << played.output;
	std::remove(path.c_str());
}

TEST(ReplayProgram, ARewriteKeepsFrameOrderModeAndLinkAndReplacesOnlyAWholeReplay)
{
	// Pad lines that nothing reads in this scene until a switch to the
	// game: this program's digests go after the inputs of their frames.
	char folder[] = "/tmp/contest-rewrite-XXXXXX";
	ASSERT_NE(mkdtemp(folder), nullptr);
	const std::string path = std::string(folder) + "/session.replay";
	const std::string link = std::string(folder) + "/link.replay";
	const std::string text = "contest-replay 1\nprogram x\nscene 2\nwindow 320 240\nkeyboard 0\n"
							 "10 pad press 0 1 0\n12 pad release 0 1 0\n70 change scene 0\n200 end 0000000000000000\n";
	std::ofstream(path) << text;
	ASSERT_EQ(chmod(path.c_str(), 0640), 0);
	ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);

	RunningProgram writer({"--replay", link, "--fast", "--rewrite"});
	EXPECT_EQ(writer.WaitForExit(120.0), 0) << writer.Output() << writer.ErrorOutput();
	struct stat status;
	ASSERT_EQ(lstat(link.c_str(), &status), 0);
	EXPECT_TRUE(S_ISLNK(status.st_mode));
	ASSERT_EQ(stat(path.c_str(), &status), 0);
	EXPECT_EQ(status.st_mode & 0777, 0640u);
	std::string output;
	EXPECT_EQ(Replay(path, &output), 0) << output << Read(path);
	const std::string rewritten = Read(path);
	EXPECT_LT(rewritten.find("10 pad press"), rewritten.find("digest restart")) << rewritten;

	// Stopped short by its viewer, it leaves the file as it was.
	RunningProgram stopped({"--replay", path, "--rewrite"});
	const Window window = stopped.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(window, 0u) << stopped.ErrorOutput();
	Pause(500);
	stopped.SendKey(window, XK_Escape);
	EXPECT_EQ(stopped.WaitForExit(10.0), 3);
	EXPECT_NE(stopped.Output().find("not written again"), std::string::npos) << stopped.Output();
	EXPECT_EQ(Read(path), rewritten);
	std::remove(link.c_str());
	std::remove(path.c_str());
	rmdir(folder);
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
		{{"--check"}, "--check goes with --replay"},
		{{"--replay", garbage, "--check"}, garbage + ":3: not a replay"},
		{{"--replay", garbage, "--check", "--panel"}, "--panel needs a window"},
		{{"--server", "127.0.0.1"}, "--server goes with --host or --join CODE"},
		{{"--join", "10.0.0.1", "--server", "127.0.0.1"}, "takes an invite code of five letters"},
		{{"--join", "10.0.0.1"}, "--join needs the invite's secret"},
		{{"--join", "AKMRT-HJKM-PRTW-XYAC-DEFO", "--server", "127.0.0.1"}, "an invite's secret is 16 letters"},
		{{"--secret", "HJKM-PRTW-XYAC-DEFG"}, "--secret goes with --host or --join"},
		{{"--rejoin"}, "--rejoin: no game has been joined yet"},
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
