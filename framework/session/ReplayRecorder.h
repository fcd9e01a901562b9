#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/input/InputStream.h"
#include "framework/session/FrameCounter.h"
#include "framework/session/ReplayLog.h"
#include "framework/session/StopReason.h"

// Writes a session down frame by frame as it is played: every input as the
// scene received it, stamped with its frame, the world's digest every
// DigestPeriod frames and at every restart, and its end. The world steps a
// fixed time per frame and nothing reads the clock, so that is enough to
// play the session again (--record), or for a partner to catch up with a
// game under way (kept in memory).
class ReplayRecorder : public InputListener
{
public:
	ReplayRecorder() = default;
	ReplayRecorder(const ReplayRecorder&) = delete;
	ReplayRecorder& operator=(const ReplayRecorder&) = delete;
	~ReplayRecorder() override;

	// Starts writing a recording to path. False, with the reason, when it
	// cannot be written.
	bool Record(const std::string& path, const ReplayLog::Header& header, std::string* error);
	// Starts writing a recording to path whose first frames were played
	// before: header and lines come first, and what is heard from now on is
	// stamped from frame frames + 1.
	bool RecordAfter(const std::string& path, const ReplayLog::Header& header, const std::vector<InputLine>& lines,
		int frames, std::string* error);
	// Records into memory only, from frame 1, until the text grows beyond
	// maxBytes: then it stops and nothing is kept.
	void RecordInMemory(const ReplayLog::Header& header, std::size_t maxBytes);

	// What RecordInMemory has kept: the header and every line so far; empty
	// once it outgrew its bound.
	const std::string& Kept() const { return kept; }
	bool IsRecording() const { return recording; }
	StopReason Stopped() const { return stopReason; }
	// A write to the recording failed: it was said on stderr once and the
	// session went on unrecorded.
	bool WriteFailed() const { return stopReason == StopReason::WriteFailed; }
	// The frames heard so far, whether or not it still records.
	int Frame() const { return frames.Frame(); }

	void Heard(const InputLine& input) override;
	void SceneRestarts(const Test& scene) override;
	void FrameBegins(const Test& scene) override;
	void FrameEnds(const Test& scene) override;
	// Ends the recording with the digest of scene's world as the session
	// ends.
	void SessionEnds(const Test& scene) override;

private:
	void Write(const InputLine& line);
	// Checks a write, flush or close of the file; a failure ends the
	// recording.
	void CheckWritten(bool written);
	void CloseFile();
	void Stop(StopReason reason);

	FrameCounter frames;
	bool recording = false;
	StopReason stopReason = StopReason::NotStopped;
	std::string path;
	std::FILE* file = nullptr;
	bool keeping = false;
	std::string kept;
	std::size_t keptLimit = 0;
};
