// The recorded-session file: what is written reads back bit for bit, and a
// file that is not a recording is refused with its line named.
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <unistd.h>
#include <string>
#include <vector>

#include "framework/ReplayLog.h"

namespace
{
constexpr int Rows = 45;

using Line = ReplayLog::Line;

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
	Line view = Make(2, Line::View);
	view.point.Set(-3.4e38f, 1.0f / 3.0f);
	view.zoom = 0.02f;
	Line window = Make(3, Line::Window);
	window.width = 1280;
	window.height = 720;
	Line pad = Make(3, Line::Pad);
	pad.code = SDL_JOYAXISMOTION;
	pad.pad = 255;
	pad.element = 19;
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
	log.lines = {key, down, view, window, pad, setting, item, scene, restart, Make(6, Line::Release), end};

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
	EXPECT_EQ(back.lines[2].zoom, 0.02f);
	EXPECT_EQ(back.lines[4].value, -32768);
	EXPECT_EQ(back.lines[8].digest, 0xFFFFFFFFFFFFFFFFull);
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
		{"contest-replay 2\n", 1, "format version"},
		{"contest-replay 1\nprogram x\nscene 3\n", 3, "window"},
		{Header(45), 3, "scene row"},
		{Header() + "5 key 13\n4 key 13\n", 7, "frame"},
		{Header() + "1 fly 3\n", 6, "no event \"fly\""},
		{Header() + "1 key\n", 6, "missing key"},
		{Header() + "1 key 256\n", 6, "key must be"},
		{Header() + "1 key 13 13\n", 6, "more words"},
		{Header() + "1 move nan 0\n", 6, "finite"},
		{Header() + "1 pad axis 0 0 40000\n", 6, "value"},
		{Header() + "1 pad wiggle 0 0 0\n", 6, "no pad event"},
		{Header() + "1 change setting drawEverything 1\n", 6, "no setting"},
		{Header() + "1 change scene 45\n", 6, "scene row"},
		{Header() + "1 digest later 00\n", 6, "no event"},
		{Header() + "1 end 0\n# fine\n2 key 13\n", 8, "nothing may follow"},
	};
	for (const auto& c : cases)
	{
		ReplayLog log;
		std::string error;
		EXPECT_FALSE(ReadText(c.text, &log, &error)) << c.text;
		EXPECT_NE(error.find(":" + std::to_string(c.line) + ": "), std::string::npos) << error;
		EXPECT_NE(error.find(c.says), std::string::npos) << error;
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
} // namespace
