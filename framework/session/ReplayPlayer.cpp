#include "framework/session/ReplayPlayer.h"

#include <cstdio>
#include <utility>

#include "framework/core/Test.h"
#include "framework/session/SessionFrames.h"

namespace
{
using Line = InputLine;

// What a catch-up names the game it plays, where a check names the file.
const char* const HostGameName = "the host's game";
} // namespace

void ReplayPlayer::Play(ReplayLog recording, const std::string& source, bool again, const std::string& program)
{
	Start(std::move(recording), source, Purpose::Check);
	check = DigestCheck(source, again);
	if (again)
	{
		rewrite.emplace(log.header, program);
	}
}

void ReplayPlayer::CatchUp(ReplayLog recording, int to)
{
	Start(std::move(recording), HostGameName, Purpose::CatchUp);
	check = DigestCheck(HostGameName, false);
	catchUpTo = to;
}

void ReplayPlayer::Start(ReplayLog recording, const std::string& source, Purpose why)
{
	log = std::move(recording);
	path = source;
	purpose = why;
	frames = FrameCounter();
	playing = true;
	played = true;
	held = false;
	endChecked = false;
	stopReason = StopReason::NotStopped;
	rewrite.reset();
	inputCursor = 0;
	padCursor = 0;
	releaseCursor = 0;
	checkCursor = 0;
}

void ReplayPlayer::FrameBegins(const Test& scene)
{
	if (playing)
	{
		// What was noted after the last frame, before this one (a session
		// ended before its first frame): it describes the world as it is now.
		CheckUpTo(frames.Frame(), scene);
	}
	frames.Begin();
}

void ReplayPlayer::FrameEnds(const Test& scene)
{
	frames.End();
	if (!playing)
	{
		return;
	}
	const int frame = frames.Frame();
	if (rewrite && DigestDue(frame))
	{
		rewrite->Note(InputLine::DigestOf(frame, Line::FrameDigest, scene.Digest()));
	}
	CheckUpTo(frame, scene);
	if (purpose == Purpose::CatchUp)
	{
		if (frame >= catchUpTo)
		{
			Stop(StopReason::CaughtUp);
		}
		return;
	}
	HandOverAtItsEnd();
}

void ReplayPlayer::HandOverAtItsEnd()
{
	const int frame = frames.Frame();
	if (endChecked || log.IsComplete() || (!log.lines.empty() && frame < log.lines.back().frame))
	{
		return;
	}
	std::fprintf(stderr,
		"replay %s: the recording stops after frame %d without its end (its program did not finish it); "
		"the controls are yours\n",
		path.c_str(), frame);
	Stop(StopReason::HandedOver);
}

const Line* ReplayPlayer::NextCheck()
{
	while (checkCursor < log.lines.size() && !ReplayLog::IsCheck(log.lines[checkCursor].kind))
	{
		++checkCursor;
	}
	return checkCursor < log.lines.size() ? &log.lines[checkCursor] : nullptr;
}

void ReplayPlayer::CheckUpTo(int last, const Test& scene)
{
	while (const Line* line = NextCheck())
	{
		if (line->frame > last)
		{
			return;
		}
		++checkCursor;
		if (line->kind == Line::RestartDigest)
		{
			check.Differ(line->frame, "the recording restarts the scene here; the replay did not");
			continue;
		}
		const uint64_t digest = scene.Digest();
		check.Compare(line->frame, line->kind == Line::End ? "at the end" : "after the frame", line->digest, digest);
		if (line->kind == Line::End)
		{
			CheckEnd(digest);
			return;
		}
	}
}

void ReplayPlayer::CheckEnd(uint64_t endDigest)
{
	endChecked = true;
	if (!rewrite)
	{
		return;
	}
	rewrite->Note(InputLine::DigestOf(frames.Frame(), Line::End, endDigest));
	check.Rewritten(rewrite->WriteOver(log.lines, path));
}

bool ReplayPlayer::EndsBeforeStep(const Test& scene)
{
	if (!playing)
	{
		return false;
	}
	const Line* next = NextCheck();
	if (next != nullptr && next->kind == Line::End && next->frame <= frames.Frame())
	{
		CheckUpTo(frames.Frame(), scene);
	}
	if (!endChecked)
	{
		return false;
	}
	// The frame the end names never runs.
	frames.Withdraw();
	Stop(StopReason::ReachedEnd);
	return true;
}

void ReplayPlayer::SceneRestarts(const Test& scene)
{
	if (!playing)
	{
		return;
	}
	const Line line = InputLine::DigestOf(frames.Stamp(), Line::RestartDigest, scene.Digest());
	if (rewrite)
	{
		rewrite->Note(line);
	}
	const Line* next = NextCheck();
	if (next != nullptr && next->kind == Line::RestartDigest && next->frame == line.frame)
	{
		check.Compare(line.frame, "at a restart", next->digest, line.digest);
		++checkCursor;
		return;
	}
	check.Differ(line.frame, "the replay restarts the scene here; the recording did not");
}

void ReplayPlayer::SessionEnds(const Test&)
{
	if (playing)
	{
		Stop(StopReason::SessionEnded);
	}
}

const Line* ReplayPlayer::Next(InputChannel channel)
{
	switch (channel)
	{
	case InputChannel::Shell:
		return Next(&inputCursor, channel);
	case InputChannel::Pads:
		return Next(&padCursor, channel);
	case InputChannel::Release:
		return Next(&releaseCursor, channel);
	}
	return nullptr;
}

const Line* ReplayPlayer::Next(std::size_t* cursor, InputChannel channel)
{
	if (!playing)
	{
		return nullptr;
	}
	const bool skipMachineOwn = purpose == Purpose::CatchUp;
	while (*cursor < log.lines.size() &&
		(!IsOnChannel(log.lines[*cursor].kind, channel) || (skipMachineOwn && IsMachineOwn(log.lines[*cursor]))))
	{
		++*cursor;
	}
	if (*cursor >= log.lines.size() || log.lines[*cursor].frame > frames.Frame())
	{
		return nullptr;
	}
	return &log.lines[(*cursor)++];
}

void ReplayPlayer::Stop(StopReason reason)
{
	playing = false;
	stopReason = reason;
	if (reason == StopReason::ReachedEnd)
	{
		check.Ended(frames.Frame());
	}
	else
	{
		check.Stopped(frames.Frame());
	}
}

std::string ReplayPlayer::ProgressLine() const
{
	// The end line names the frame that would have come next.
	const int last = log.lines.empty() ? 0
		: log.lines.back().kind == InputLine::End ? log.lines.back().frame - 1
												  : log.lines.back().frame;
	return "replay " + path + ": frame " + std::to_string(frames.Frame()) + " of " + std::to_string(last) +
		(held ? ", paused (p resumes)" : "");
}
