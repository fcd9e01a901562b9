#include "framework/session/ReplayRecorder.h"

#include <cerrno>
#include <cstring>

#include "framework/core/Test.h"
#include "framework/session/SessionFrames.h"

ReplayRecorder::~ReplayRecorder()
{
	CloseFile();
}

bool ReplayRecorder::Record(const std::string& target, const ReplayLog::Header& header, std::string* error)
{
	CloseFile();
	file = std::fopen(target.c_str(), "w");
	if (file == nullptr || std::fputs(ReplayLog::FormatHeader(header).c_str(), file) < 0 || std::fflush(file) != 0)
	{
		CloseFile();
		*error = "cannot write the recording to " + target;
		return false;
	}
	path = target;
	recording = true;
	stopReason = StopReason::NotStopped;
	return true;
}

bool ReplayRecorder::RecordAfter(const std::string& target, const ReplayLog::Header& header,
	const std::vector<InputLine>& lines, int played, std::string* error)
{
	if (!Record(target, header, error))
	{
		return false;
	}
	for (const InputLine& line : lines)
	{
		Write(line);
	}
	frames.ResumeAfter(played);
	CheckWritten(file != nullptr && std::fflush(file) == 0);
	return true;
}

void ReplayRecorder::RecordInMemory(const ReplayLog::Header& header, std::size_t maxBytes)
{
	kept = ReplayLog::FormatHeader(header);
	keptLimit = maxBytes;
	keeping = true;
	frames = FrameCounter();
	recording = true;
	stopReason = StopReason::NotStopped;
}

void ReplayRecorder::Heard(const InputLine& input)
{
	if (!recording)
	{
		return;
	}
	InputLine line = input;
	line.frame = frames.Stamp();
	Write(line);
}

void ReplayRecorder::SceneRestarts(const Test& scene)
{
	InputLine line;
	line.kind = InputLine::RestartDigest;
	line.digest = scene.Digest();
	Heard(line);
}

void ReplayRecorder::FrameBegins(const Test&)
{
	frames.Begin();
}

void ReplayRecorder::FrameEnds(const Test& scene)
{
	frames.End();
	if (!recording)
	{
		return;
	}
	if (DigestDue(frames.Frame()))
	{
		Write(InputLine::DigestOf(frames.Frame(), InputLine::FrameDigest, scene.Digest()));
	}
	// A crash loses nothing but the frame it happened in.
	if (file != nullptr)
	{
		CheckWritten(std::fflush(file) == 0);
	}
}

void ReplayRecorder::SessionEnds(const Test& scene)
{
	if (!recording)
	{
		return;
	}
	Write(InputLine::DigestOf(frames.Stamp(), InputLine::End, scene.Digest()));
	if (file != nullptr)
	{
		std::FILE* const finished = file;
		file = nullptr;
		CheckWritten(std::fclose(finished) == 0);
	}
	if (recording)
	{
		Stop(StopReason::Finished);
	}
}

void ReplayRecorder::Write(const InputLine& line)
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
		Stop(StopReason::OverBound);
	}
}

void ReplayRecorder::CheckWritten(bool written)
{
	if (written || stopReason == StopReason::WriteFailed)
	{
		return;
	}
	const int error = errno;
	std::fprintf(stderr, "recording %s stopped: %s; the session goes on unrecorded\n", path.c_str(),
		std::strerror(error));
	CloseFile();
	Stop(StopReason::WriteFailed);
}

void ReplayRecorder::CloseFile()
{
	if (file != nullptr)
	{
		std::fclose(file);
		file = nullptr;
	}
}

void ReplayRecorder::Stop(StopReason reason)
{
	recording = false;
	stopReason = reason;
}
