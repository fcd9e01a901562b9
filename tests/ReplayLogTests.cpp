// The recorded-session file: what is written reads back bit for bit, and a
// file that is not a recording is refused with its line named.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "framework/input/PadEvent.h"
#include "framework/session/ReplayLog.h"
#include "framework/core/Settings.h"

namespace
{
constexpr int Rows = 45;

using Line = InputLine;

std::string TemporaryPath()
{
	char pattern[] = "/tmp/contest-replay-XXXXXX";
	close(mkstemp(pattern));
	return pattern;
}

std::string Header(int scene = 3)
{
	return "contest-replay 1\nprogram test\nscene " + std::to_string(scene) + "\nwindow 640 480\nkeyboard 1\n";
}

bool ReadText(const std::string& text, ReplayLog* log, std::string* error)
{
	const std::string path = TemporaryPath();
	std::ofstream(path) << text;
	const bool read = log->Read(path, Rows, error);
	std::remove(path.c_str());
	return read;
}

Line Make(int frame, Line::Kind kind)
{
	Line line;
	line.frame = frame;
	line.kind = kind;
	return line;
}

TEST(ReplayLog, EveryLineReadsBackExactlyAsItWasWritten)
{
	ReplayLog log;
	log.header = {"v1-2-3 dirty", 7, 1280, 720, true};
	Line key = Make(1, Line::KeyUp);
	key.code = 4;
	key.value = 2;
	Line down = Make(2, Line::ShiftMouseDown);
	// Values decimal text would round: the world point must come back to
	// the last bit.
	down.point.Set(0.1f, -1.17549435e-38f);
	// Values at the ends of their ranges are still values.
	Line far = Make(2, Line::MouseMove);
	far.point.Set(-MaxWorldCoordinate, MaxWorldCoordinate);
	Line view = Make(2, Line::View);
	view.point.Set(-MaxViewReach, 1.0f / 3.0f);
	view.zoom = MinViewZoom;
	Line window = Make(3, Line::Window);
	window.width = 8192;
	window.height = 1;
	Line pad = Make(3, Line::Pad);
	pad.code = static_cast<int>(PadAction::Axis);
	pad.pad = PadSlots - 1;
	pad.element = MaxPadElement;
	pad.value = -32768;
	Line setting = Make(4, Line::Change);
	setting.change = {PanelChange::Setting, "drawAABBs", 1.0f};
	Line item = Make(4, Line::Change);
	item.change = {PanelChange::SceneItem, "musicVolume", 0.7f};
	Line scene = Make(5, Line::Change);
	scene.change = {PanelChange::Scene, "", 44.0f};
	Line restart = Make(5, Line::RestartDigest);
	restart.digest = 0xFFFFFFFFFFFFFFFFull;
	Line end = Make(9, Line::End);
	end.digest = 1;
	log.lines = {key, down, far, view, window, pad, setting, item, scene, restart, Make(6, Line::Release), end};

	const std::string path = TemporaryPath();
	ASSERT_TRUE(log.Write(path));
	ReplayLog back;
	std::string error;
	ASSERT_TRUE(back.Read(path, Rows, &error)) << error;
	std::remove(path.c_str());

	EXPECT_EQ(back.header.program, "v1-2-3 dirty");
	EXPECT_EQ(back.header.scene, 7);
	EXPECT_TRUE(back.header.keyboardPlay);
	ASSERT_EQ(back.lines.size(), log.lines.size());
	for (size_t i = 0; i < log.lines.size(); ++i)
	{
		EXPECT_EQ(ReplayLog::Format(back.lines[i]), ReplayLog::Format(log.lines[i]));
	}
	EXPECT_EQ(back.lines[1].point.x, 0.1f);
	EXPECT_EQ(back.lines[1].point.y, -1.17549435e-38f);
	EXPECT_EQ(back.lines[3].zoom, MinViewZoom);
	EXPECT_EQ(back.lines[5].value, -32768);
	EXPECT_EQ(back.lines[9].digest, 0xFFFFFFFFFFFFFFFFull);
	EXPECT_TRUE(back.IsComplete());
}

TEST(ReplayLog, AFileThatIsNotARecordingIsRefusedWithItsLineNamed)
{
	const struct
	{
		std::string text;
		int line;
		const char* says;
	} cases[] = {
		{"a shopping list\n", 1, "contest-replay"},
		{"contest-replay 4\n", 1, "format version"},
		{"contest-replay 3\nprogram x\nscene 0\nwindow 640 480\nkeyboard 1\n", 5, "\"seed\""},
		{"contest-replay 3\nprogram x\nscene 0\nwindow 640 480\nkeyboard 1\nseed 7\nonline both\n", 7,
			"host or partner"},
		{"contest-replay 1\nprogram x\nscene 3\n", 3, "window"},
		{Header(45), 3, "scene row"},
		{Header() + "5 key 13\n4 key 13\n", 7, "frame"},
		{Header() + "1 fly 3\n", 6, "no event \"fly\""},
		{Header() + "1 key\n", 6, "missing key"},
		{Header() + "1 key 256\n", 6, "key must be"},
		{Header() + "1 key 13 13\n", 6, "more words"},
		{Header() + "1 move nan 0\n", 6, "x must be a number"},
		{Header() + "1 pad axis 0 0 40000\n", 6, "value"},
		{Header() + "1 pad wiggle 0 0 0\n", 6, "no pad event"},
		{Header() + "1 change setting drawEverything 1\n", 6, "no setting"},
		{Header() + "1 change scene 45\n", 6, "scene row"},
		{Header() + "1 digest later 00\n", 6, "no event"},
		{Header() + "1 end 0000000000000000\n# fine\n2 key 13\n", 8, "nothing may follow"},
		// Values no session produces: each would hang or overflow somewhere.
		{Header() + "100 shiftdown -0x1.fffffep+127 -0x1.fffffep+127\n", 6, "x must be a number from"},
		{Header() + "1 window 16384 16384\n", 6, "width must be"},
		{Header() + "1 change setting velocityIterations 1e10\n", 6, "value must be a number from"},
		{Header() + "1 change setting velocityIterations 0x1.8p+0\n", 6, "whole number"},
		{Header() + "1 change hz 0\n", 6, "value must be"},
		{Header() + "1 change pause 0.5\n", 6, "0 or 1"},
		{Header() + "1 change item musicVolume inf\n", 6, "value must be"},
		{Header() + "1 view 0 20 0\n", 6, "zoom must be"},
		{Header() + "1 pad axis 2 0 0\n", 6, "pad must be"},
		// What is not the format, however a number parser would take it.
		{Header() + "1 key +32\n", 6, "key must be"},
		{Header() + "1 key 0x20\n", 6, "key must be"},
		{Header() + std::string("5 key 32\0zzz\n", 13), 6, "control character (byte 0x00)"},
		{Header() + "1 digest frame -1\n", 6, "16 hexadecimal digits"},
		{Header() + "1 digest frame +ff\n", 6, "16 hexadecimal digits"},
		{Header() + "1 digest frame 0x12\n", 6, "16 hexadecimal digits"},
		{Header() + "1 key " + std::string(10000000, '7') + "\n", 6, "longer than"},
		{Header() + "1 fly" + std::string(1000, 'y') + "\n", 6, "longer than"},
		{Header() + "1 " + std::string(400, 'f') + "\n", 6, "...\""},
	};
	for (const auto& c : cases)
	{
		ReplayLog log;
		std::string error;
		EXPECT_FALSE(ReadText(c.text, &log, &error)) << c.text;
		EXPECT_NE(error.find(":" + std::to_string(c.line) + ": "), std::string::npos) << error;
		EXPECT_NE(error.find(c.says), std::string::npos) << error.substr(0, 200);
		EXPECT_LT(error.size(), 200u) << "a line of sensible length";
		EXPECT_TRUE(log.lines.empty());
	}

	// Comments and blank lines are allowed anywhere; a file cut short is a
	// recording still, only not a complete one.
	ReplayLog log;
	std::string error;
	EXPECT_TRUE(ReadText("# made by hand\n" + Header() + "\n2 key 32\n", &log, &error)) << error;
	EXPECT_EQ(log.lines.size(), 1u);
	EXPECT_FALSE(log.IsComplete());
}

TEST(ReplayLog, AnEndAfterALateInputNamesTheFrameThatWouldHaveComeNext)
{
	// The first format stamped the end with the last frame run, and a key
	// pressed just before Escape with the next one. Such a file reads with
	// its end after the key, as the present format writes it; CR LF line
	// ends read as LF.
	ReplayLog log;
	std::string error;
	ASSERT_TRUE(ReadText("contest-replay 1\r\nprogram x\r\nscene 3\r\nwindow 640 480\r\nkeyboard 0\r\n"
						 "118 key 32\r\n118 keyup 32 0\r\n117 end 00000000000000ff\r\n",
		&log, &error))
		<< error;
	EXPECT_EQ(log.header.program, "x");
	ASSERT_EQ(log.lines.size(), 3u);
	EXPECT_EQ(log.lines[2].frame, 118);
	EXPECT_EQ(log.lines[2].digest, 0xffu);

	// The present format writes what it reads.
	ASSERT_TRUE(ReadText(ReplayLog::FormatHeader(log.header) + "118 key 32\n118 end 00000000000000ff\n", &log,
		&error))
		<< error;
	EXPECT_EQ(log.lines[1].frame, 118);
}

TEST(ReplayLog, AFolderOrAPipeIsNamedForWhatItIsWithoutWaitingForAWriter)
{
	char folder[] = "/tmp/contest-folder-XXXXXX";
	ASSERT_NE(mkdtemp(folder), nullptr);
	ReplayLog log;
	std::string error;
	EXPECT_FALSE(log.Read(folder, Rows, &error));
	EXPECT_NE(error.find("is a directory"), std::string::npos) << error;

	const std::string pipe = std::string(folder) + "/pipe";
	ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
	EXPECT_FALSE(log.Read(pipe, Rows, &error));
	EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
	std::remove(pipe.c_str());
	rmdir(folder);
}
} // namespace
