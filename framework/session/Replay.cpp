#include "framework/session/Replay.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/core/Test.h"

Replay replay;

namespace
{
using Line = InputLine;

bool IsCheck(Line::Kind kind)
{
	return kind == Line::RestartDigest || kind == Line::FrameDigest || kind == Line::End;
}

Line DigestLine(int frame, Line::Kind kind, uint64_t digest)
{
	Line line;
	line.frame = frame;
	line.kind = kind;
	line.digest = digest;
	return line;
}

// The recording's inputs in their order, with digests taken by this
// program, each after the inputs of its frame: the frames never go back.
std::vector<Line> MergeDigests(const std::vector<Line>& recorded, const std::vector<Line>& digests)
{
	std::vector<Line> merged;
	size_t next = 0;
	for (const Line& line : recorded)
	{
		if (IsCheck(line.kind))
		{
			continue;
		}
		while (next < digests.size() && digests[next].frame < line.frame)
		{
			merged.push_back(digests[next++]);
		}
		merged.push_back(line);
	}
	merged.insert(merged.end(), digests.begin() + static_cast<long>(next), digests.end());
	return merged;
}

// Writes log in place of the file at path: a symbolic link keeps pointing
// at it, and it keeps the old file's permissions. The old file stays whole
// until the new one is.
bool Replace(const ReplayLog& log, const std::string& path)
{
	char* const resolved = realpath(path.c_str(), nullptr);
	const std::string target = resolved != nullptr ? resolved : path;
	std::free(resolved);
	struct stat old;
	const bool hadMode = stat(target.c_str(), &old) == 0;
	const std::string temporary = target + ".new";
	if (!log.Write(temporary) || (hadMode && chmod(temporary.c_str(), old.st_mode & 07777) != 0) ||
		std::rename(temporary.c_str(), target.c_str()) != 0)
	{
		std::remove(temporary.c_str());
		return false;
	}
	return true;
}
} // namespace

Replay::~Replay()
{
	if (file != nullptr)
	{
		std::fclose(file);
	}
}

bool Replay::Record(const std::string& target, const ReplayLog::Header& header, std::string* error)
{
	file = std::fopen(target.c_str(), "w");
	if (file == nullptr || std::fputs(ReplayLog::FormatHeader(header).c_str(), file) < 0 || std::fflush(file) != 0)
	{
		*error = "cannot write the recording to " + target;
		return false;
	}
	path = target;
	mode = Mode::Recording;
	return true;
}

bool Replay::RecordAfter(const std::string& target, const ReplayLog::Header& header,
	const std::vector<Line>& lines, int frames, std::string* error)
{
	if (!Record(target, header, error))
	{
		return false;
	}
	for (const Line& line : lines)
	{
		Write(line);
	}
	frame = frames;
	CheckWritten(file != nullptr && std::fflush(file) == 0);
	return true;
}

void Replay::RecordInMemory(const ReplayLog::Header& header, std::size_t maxBytes)
{
	kept = ReplayLog::FormatHeader(header);
	keptLimit = maxBytes;
	keeping = true;
	frame = 0;
	inFrame = false;
	mode = Mode::Recording;
}

void Replay::CatchUp(ReplayLog recording, int frames)
{
	Play(std::move(recording), "the host's game", false, "");
	catchUpTo = frames;
}

void Replay::Play(ReplayLog recording, const std::string& source, bool again, const std::string& program)
{
	log = std::move(recording);
	path = source;
	rewrite = again;
	rewrittenHeader = log.header;
	rewrittenHeader.program = program;
	mode = Mode::Playing;
	played = true;
}

int Replay::ExitStatus() const
{
	if (failed || (!rewrite && mismatches > 0))
	{
		return 1;
	}
	return done ? 0 : StoppedStatus;
}

void Replay::FrameBegins(const Test& scene)
{
	if (mode == Mode::Playing)
	{
		// What was noted after the last frame, before this one (a session
		// ended before its first frame): it describes the world as it is now.
		CheckUpTo(frame, scene);
	}
	++frame;
	inFrame = true;
}

void Replay::FrameEnds(const Test& scene)
{
	inFrame = false;
	if (mode == Mode::Recording)
	{
		if (frame % DigestPeriod == 0)
		{
			Write(DigestLine(frame, Line::FrameDigest, scene.Digest()));
		}
		// A crash loses nothing but the frame it happened in.
		if (file != nullptr)
		{
			CheckWritten(std::fflush(file) == 0);
		}
		return;
	}
	if (mode != Mode::Playing)
	{
		return;
	}
	if (rewrite && frame % DigestPeriod == 0)
	{
		newDigests.push_back(DigestLine(frame, Line::FrameDigest, scene.Digest()));
	}
	CheckUpTo(frame, scene);
	if (catchUpTo >= 0)
	{
		mode = frame >= catchUpTo ? Mode::Off : mode;
		return;
	}
	if (!done && !log.IsComplete() && (log.lines.empty() || frame >= log.lines.back().frame))
	{
		std::fprintf(stderr,
			"replay %s: the recording stops after frame %d without its end (its program did not finish it); "
			"the controls are yours\n",
			path.c_str(), frame);
		handedOverAt = frame;
		mode = Mode::Off;
	}
}

// Compares every digest noted for frames up to last with scene's world.
void Replay::CheckUpTo(int last, const Test& scene)
{
	while (checkCursor < log.lines.size())
	{
		const Line& line = log.lines[checkCursor];
		if (!IsCheck(line.kind))
		{
			++checkCursor;
			continue;
		}
		if (line.frame > last)
		{
			return;
		}
		++checkCursor;
		if (line.kind == Line::RestartDigest)
		{
			Mismatch(line.frame, "the recording restarts the scene here; the replay did not");
			continue;
		}
		const uint64_t digest = scene.Digest();
		Check(line.frame, line.kind == Line::End ? "at the end" : "after the frame", line.digest, digest);
		if (line.kind == Line::End)
		{
			Conclude(digest);
			return;
		}
	}
}

void Replay::Heard(const Line& input)
{
	if (mode != Mode::Recording)
	{
		return;
	}
	Line line = input;
	line.frame = Stamp();
	Write(line);
}

int Replay::Stamp() const
{
	return inFrame ? frame : frame + 1;
}

bool Replay::EndsBeforeStep(const Test& scene)
{
	if (mode != Mode::Playing)
	{
		return false;
	}
	while (checkCursor < log.lines.size() && !IsCheck(log.lines[checkCursor].kind))
	{
		++checkCursor;
	}
	if (checkCursor < log.lines.size() && log.lines[checkCursor].kind == Line::End &&
		log.lines[checkCursor].frame <= frame)
	{
		CheckUpTo(frame, scene);
	}
	if (done)
	{
		// The frame the end names never runs.
		--frame;
		inFrame = false;
	}
	return done;
}

void Replay::SceneRestarts(const Test& scene)
{
	Line line;
	line.kind = Line::RestartDigest;
	line.digest = scene.Digest();
	if (mode == Mode::Recording)
	{
		Heard(line);
		return;
	}
	if (mode != Mode::Playing)
	{
		return;
	}
	line.frame = Stamp();
	if (rewrite)
	{
		newDigests.push_back(line);
	}
	while (checkCursor < log.lines.size() && !IsCheck(log.lines[checkCursor].kind))
	{
		++checkCursor;
	}
	if (checkCursor < log.lines.size() && log.lines[checkCursor].kind == Line::RestartDigest &&
		log.lines[checkCursor].frame == line.frame)
	{
		Check(line.frame, "at a restart", log.lines[checkCursor].digest, line.digest);
		++checkCursor;
		return;
	}
	Mismatch(line.frame, "the replay restarts the scene here; the recording did not");
}

const Line* Replay::Next(InputChannel channel)
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

const Line* Replay::Next(size_t* cursor, InputChannel channel)
{
	if (mode != Mode::Playing)
	{
		return nullptr;
	}
	while (*cursor < log.lines.size() &&
		(!IsOnChannel(log.lines[*cursor].kind, channel) || (catchUpTo >= 0 && IsMachineOwn(log.lines[*cursor]))))
	{
		++*cursor;
	}
	if (*cursor >= log.lines.size() || log.lines[*cursor].frame > frame)
	{
		return nullptr;
	}
	return &log.lines[(*cursor)++];
}

void Replay::SessionEnds(const Test& scene)
{
	if (mode != Mode::Recording)
	{
		return;
	}
	Write(DigestLine(Stamp(), Line::End, scene.Digest()));
	if (file != nullptr)
	{
		std::FILE* const finished = file;
		file = nullptr;
		CheckWritten(std::fclose(finished) == 0);
	}
	mode = Mode::Off;
}

void Replay::Report(std::FILE* out) const
{
	if (!done)
	{
		const int stop = handedOverAt > 0 ? handedOverAt : frame;
		if (rewrite)
		{
			std::fprintf(out, "replay %s: stopped at frame %d before its end; not written again\n", path.c_str(), stop);
			return;
		}
		std::fprintf(out, "replay %s: stopped at frame %d before its end; %d of %d digests so far differ\n",
			path.c_str(), stop, mismatches, checks);
		return;
	}
	if (rewrite)
	{
		std::fprintf(out, "replay %s: %s with this program's digests (%d of the old ones differed)\n", path.c_str(),
			failed ? "could not be written again" : "written again", mismatches);
		return;
	}
	if (mismatches == 0)
	{
		std::fprintf(out, "replay %s: all %d digests matched over %d frames\n", path.c_str(), checks, frame);
		return;
	}
	std::fprintf(out, "replay %s: %d of %d digests differ; the first at frame %d (%s)\n", path.c_str(), mismatches,
		checks, firstMismatchFrame, firstMismatch.c_str());
}

void Replay::Write(const Line& line)
{
	const std::string text = ReplayLog::Format(line);
	if (file != nullptr)
	{
		CheckWritten(std::fputs(text.c_str(), file) >= 0);
	}
	if (!keeping)
	{
		return;
	}
	kept += text;
	if (kept.size() > keptLimit)
	{
		std::string().swap(kept);
		keeping = false;
		mode = Mode::Off;
	}
}

void Replay::CheckWritten(bool written)
{
	if (written || writeFailed)
	{
		return;
	}
	const int error = errno;
	writeFailed = true;
	std::fprintf(stderr, "recording %s stopped: %s; the session goes on unrecorded\n", path.c_str(),
		std::strerror(error));
	if (file != nullptr)
	{
		std::fclose(file);
		file = nullptr;
	}
	mode = Mode::Off;
}

void Replay::Check(int at, const char* when, uint64_t recorded, uint64_t replayed)
{
	++checks;
	if (recorded != replayed)
	{
		char text[96];
		std::snprintf(text, sizeof(text), "digest %s: recorded %016" PRIx64 ", replayed %016" PRIx64, when, recorded,
			replayed);
		Mismatch(at, text);
	}
}

void Replay::Mismatch(int at, const std::string& what)
{
	if (mismatches++ == 0)
	{
		firstMismatchFrame = at;
		firstMismatch = what;
	}
}

void Replay::Conclude(uint64_t endDigest)
{
	done = true;
	if (!rewrite)
	{
		return;
	}
	newDigests.push_back(DigestLine(frame, Line::End, endDigest));
	ReplayLog rewritten;
	rewritten.header = rewrittenHeader;
	rewritten.lines = MergeDigests(log.lines, newDigests);
	failed = !Replace(rewritten, path);
}
