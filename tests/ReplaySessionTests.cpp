// The recorder, the player and the digest check apart: frames stamped and
// digests taken as every session counts them, a replay that ends or stops
// telling why, and a check that names the first of its differences.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "framework/input/InputStream.h"
#include "framework/session/DigestCheck.h"
#include "framework/session/ReplayPlayer.h"
#include "framework/session/ReplayRecorder.h"
#include "framework/session/SessionFrames.h"
#include "scenes/Pyramid.h"

namespace
{
using Line = InputLine;

constexpr float FrameSeconds = 1.0f / 60.0f;
constexpr int Rows = 45;

std::string TemporaryPath()
{
	char pattern[] = "/tmp/contest-session-XXXXXX";
	close(mkstemp(pattern));
	return pattern;
}

// What check reports, as the program prints it.
std::string ReportOf(const DigestCheck& check)
{
	std::FILE* out = std::tmpfile();
	check.Report(out);
	std::rewind(out);
	char text[256] = {};
	std::fgets(text, sizeof(text), out);
	std::fclose(out);
	return text;
}

Line Key(int code)
{
	Line line;
	line.kind = Line::Key;
	line.code = code;
	return line;
}

// Runs frames frames of scene's world through stream, which gives any
// source's inputs; false when the source ended the session first.
bool RunFrames(InputStream& stream, Pyramid& scene, int frames)
{
	for (int i = 0; i < frames; ++i)
	{
		stream.BeginFrame(scene);
		while (stream.Next(InputChannel::Shell) != nullptr)
		{
		}
		if (stream.EndsBeforeStep(scene))
		{
			return false;
		}
		scene.GetWorld()->Step(FrameSeconds, 8, 3);
		stream.EndFrame(scene);
	}
	return true;
}

// A session of frames frames, with a key heard before the first and one
// between the last two, recorded to a file and read back.
ReplayLog RecordSession(int frames)
{
	const std::string path = TemporaryPath();
	ReplayRecorder recorder;
	std::string error;
	EXPECT_TRUE(recorder.Record(path, {"test", 3, 640, 480, false}, &error)) << error;
	InputStream stream;
	stream.AddListener(&recorder);
	Pyramid scene;
	stream.Offer(Key('a'));
	RunFrames(stream, scene, frames - 1);
	stream.Offer(Key('b'));
	RunFrames(stream, scene, 1);
	stream.EndSession(scene);
	EXPECT_EQ(recorder.Stopped(), StopReason::Finished);
	ReplayLog log;
	EXPECT_TRUE(log.Read(path, Rows, &error)) << error;
	std::remove(path.c_str());
	return log;
}

TEST(ReplayRecorder, InputsAreStampedWithTheFrameTheyEnterAndDigestsFallOnTheSessionsPeriod)
{
	const int frames = DigestPeriod + 1;
	const ReplayLog log = RecordSession(frames);
	ASSERT_EQ(log.lines.size(), 4u);
	EXPECT_EQ(ReplayLog::Format(log.lines[0]), "1 key 97\n");
	EXPECT_EQ(log.lines[1].kind, Line::FrameDigest);
	EXPECT_TRUE(DigestDue(log.lines[1].frame));
	EXPECT_EQ(ReplayLog::Format(log.lines[2]), std::to_string(frames) + " key 98\n");
	EXPECT_EQ(log.lines[3].kind, Line::End);
	EXPECT_EQ(log.lines[3].frame, frames + 1);
}

// The host keeps its game in memory for a partner to catch up with: what a
// partner reads is what was heard, and a game that outgrows the bound is
// let go whole rather than sent in part.
TEST(ReplayRecorder, AGameKeptInMemoryReadsBackAndIsLetGoOnceItOutgrowsItsBound)
{
	ReplayLog::Header header{"test", 0, 640, 480, true, 77, ReplayLog::Side::Host};
	ReplayRecorder game;
	game.RecordInMemory(header, 400);
	for (int key = 'a'; key <= 'e'; ++key)
	{
		game.Heard(Key(key));
	}
	ReplayLog back;
	std::istringstream kept(game.Kept());
	std::string error;
	ASSERT_TRUE(back.Parse(kept, "kept", Rows, &error)) << error;
	EXPECT_EQ(back.header.seed, 77u);
	ASSERT_EQ(back.lines.size(), 5u);
	EXPECT_EQ(back.lines[4].code, 'e');
	EXPECT_EQ(back.lines[4].frame, 1);

	for (int i = 0; i < 40 && game.IsRecording(); ++i)
	{
		game.Heard(Key(0));
	}
	EXPECT_EQ(game.Stopped(), StopReason::OverBound);
	EXPECT_TRUE(game.Kept().empty());
}

TEST(ReplayPlayer, AReplayOfItsOwnRecordingReachesItsEndWithEveryDigestMatched)
{
	const int frames = DigestPeriod + 1;
	ReplayPlayer player;
	player.Play(RecordSession(frames), "own", false, "test");
	InputStream stream;
	stream.SetSource(&player);
	Pyramid scene;
	EXPECT_FALSE(RunFrames(stream, scene, frames + 5));
	EXPECT_EQ(player.Stopped(), StopReason::ReachedEnd);
	EXPECT_EQ(player.Frame(), frames);
	EXPECT_EQ(player.ProgressLine(), "replay own: frame 61 of 61");
	player.ToggleHeld();
	EXPECT_EQ(player.ProgressLine(), "replay own: frame 61 of 61, paused (p resumes)");
	EXPECT_EQ(ReportOf(player.Check()), "replay own: all 2 digests matched over 61 frames\n");
	EXPECT_EQ(player.Check().ExitStatus(), 0);
}

// A replay whose world goes astray names the first frame it differs in, and
// one that stops early says where, whether cut short or ended by the viewer.
TEST(ReplayPlayer, AReplayThatStopsKeepsWhyAndWhereAndAMismatchNamesItsFrame)
{
	ReplayLog astray = RecordSession(DigestPeriod + 1);
	astray.lines[1].digest ^= 1;
	ReplayLog cut = astray;
	cut.lines.pop_back();
	const ReplayLog whole = RecordSession(2 * DigestPeriod);

	ReplayPlayer player;
	player.Play(cut, "cut", false, "test");
	InputStream stream;
	stream.SetSource(&player);
	Pyramid scene;
	RunFrames(stream, scene, DigestPeriod + 5);
	EXPECT_EQ(player.Stopped(), StopReason::HandedOver);
	EXPECT_FALSE(stream.Next(InputChannel::Shell));
	EXPECT_EQ(player.FirstMismatchFrame(), DigestPeriod);
	EXPECT_EQ(ReportOf(player.Check()),
		"replay cut: stopped at frame 61 before its end; 1 of 1 digests so far differ\n");
	EXPECT_EQ(player.Check().ExitStatus(), 1);

	ReplayPlayer viewer;
	viewer.Play(whole, "whole", false, "test");
	Pyramid again;
	stream.SetSource(&viewer);
	RunFrames(stream, again, 5);
	stream.EndSession(again);
	EXPECT_EQ(viewer.Stopped(), StopReason::SessionEnded);
	EXPECT_EQ(ReportOf(viewer.Check()),
		"replay whole: stopped at frame 5 before its end; 0 of 0 digests so far differ\n");
	EXPECT_EQ(viewer.Check().ExitStatus(), DigestCheck::StoppedStatus);
}

TEST(ReplayPlayer, ACatchUpStopsGivingAfterItsFrameAndKeepsThatItCaughtUp)
{
	ReplayPlayer catchUp;
	catchUp.CatchUp(RecordSession(DigestPeriod + 1), 3);
	InputStream stream;
	stream.SetSource(&catchUp);
	Pyramid scene;
	RunFrames(stream, scene, 3);
	EXPECT_TRUE(stream.IsLive());
	EXPECT_EQ(catchUp.Stopped(), StopReason::CaughtUp);
}

TEST(DigestCheck, TheFirstOfSeveralDifferencesIsReportedAndFailsTheReplay)
{
	DigestCheck check("r", false);
	check.Compare(60, "after the frame", 1, 1);
	check.Compare(120, "after the frame", 2, 3);
	check.Differ(150, "the replay restarts the scene here; the recording did not");
	check.Ended(200);
	EXPECT_EQ(check.Checked(), 2);
	EXPECT_EQ(check.Differences(), 2);
	EXPECT_EQ(check.FirstDifferenceFrame(), 120);
	EXPECT_NE(check.FirstDifference().find("recorded 0000000000000002"), std::string::npos);
	EXPECT_EQ(ReportOf(check), "replay r: 2 of 2 digests differ; the first at frame 120 (digest after the frame: "
							   "recorded 0000000000000002, replayed 0000000000000003)\n");
	EXPECT_EQ(check.ExitStatus(), 1);

	// Written again, the old digests' differences are no failure; a file
	// that could not be written is.
	DigestCheck rewrite("r", true);
	rewrite.Compare(60, "after the frame", 2, 3);
	rewrite.Ended(60);
	rewrite.Rewritten(true);
	EXPECT_EQ(rewrite.ExitStatus(), 0);
	rewrite.Rewritten(false);
	EXPECT_EQ(ReportOf(rewrite), "replay r: could not be written again with this program's digests (1 of the old "
								 "ones differed)\n");
	EXPECT_EQ(rewrite.ExitStatus(), 1);
}
} // namespace
