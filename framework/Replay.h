#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "framework/ReplayLog.h"

class Test;

// Records a session's input frame by frame (--record), or plays a recorded
// one back (--replay) and checks that the world comes out bit for bit the
// same. The world steps a fixed time per frame and nothing reads the clock,
// so the input and the frames it arrived in determine the whole session.
//
// The shell marks the frames and hands over each input as the scene
// receives it; while playing it takes the recorded inputs instead of live
// ones, each in the frame it was recorded in.
class Replay
{
public:
	enum class Mode
	{
		Off,
		Recording,
		Playing,
	};

	// Frames between two digests in a recording, so a replay that goes
	// astray can tell from which second on.
	static constexpr int DigestPeriod = 60;

	~Replay();

	// Starts writing a recording to path. False, with the reason, when it
	// cannot be written.
	bool Record(const std::string& path, const ReplayLog::Header& header, std::string* error);
	// Starts playing log (read from path). With rewrite, the same input is
	// played and the file is written again with the digests this program
	// (named program) computes.
	void Play(ReplayLog log, const std::string& path, bool rewrite, const std::string& program);

	Mode GetMode() const { return mode; }
	bool IsPlaying() const { return mode == Mode::Playing; }
	// While playing: the viewer has paused the replay ('p').
	bool IsHeld() const { return held; }
	void ToggleHeld() { held = !held; }
	// Playing has reached the end of the recording: Report says how it went.
	bool IsDone() const { return done; }
	// The exit status of a replay that did not reach its end (the viewer's
	// Escape, a recording cut short) and found no difference before it: not
	// every digest was checked, so it is no success.
	static constexpr int StoppedStatus = 3;
	// A replay ran in this session, whether or not it still plays.
	bool Played() const { return played; }
	// 0 when every digest matched (or the file was written again), 1 when
	// one differs (or the file could not be written), StoppedStatus when
	// the replay stopped before its end.
	int ExitStatus() const;
	// A write to the recording failed (a full disk): it was said on stderr
	// once and the session went on unrecorded.
	bool WriteFailed() const { return writeFailed; }
	int Frame() const { return frame; }

	// Frame boundaries: BeginFrame before the scene's step, EndFrame after
	// it (and after the picture is shown).
	void BeginFrame(const Test& scene);
	void EndFrame(const Test& scene);

	// An input as the scene received it, stamped with the frame it is
	// handled in; ignored unless recording.
	void Note(ReplayLog::Line line);
	// The scene is about to be rebuilt: its digest goes into the recording,
	// or is checked against it.
	void NoteRestart(const Test& scene);
	// While playing: the next recorded input of the running frame that the
	// shell applies before the step, the next pad event the game reads with
	// its pads, and keyboard play's next release of every key; null when the
	// frame has no more.
	const ReplayLog::Line* NextInput();
	const ReplayLog::Line* NextPad();
	const ReplayLog::Line* NextRelease();

	// Ends a recording: the digest of scene's world after the last frame.
	void Finish(const Test& scene);
	// Writes how the replay went to out.
	void Report(std::FILE* out) const;

private:
	const ReplayLog::Line* Next(size_t* cursor, bool (*wanted)(ReplayLog::Line::Kind));
	void Write(const ReplayLog::Line& line);
	// Checks a write or flush of the recording; a failure ends the recording.
	void CheckWritten(bool written);
	void CheckUpTo(int last, const Test& scene);
	void Check(int at, const char* when, uint64_t recorded, uint64_t replayed);
	void Mismatch(int at, const std::string& what);
	void Conclude(uint64_t endDigest);

	Mode mode = Mode::Off;
	std::string path;
	std::FILE* file = nullptr;
	int frame = 0;
	bool writeFailed = false;
	bool inFrame = false;
	bool held = false;
	bool done = false;

	ReplayLog log;
	bool rewrite = false;
	bool played = false;
	// The frame after which a recording cut short handed over the controls.
	int handedOverAt = 0;
	ReplayLog rewritten;
	size_t inputCursor = 0;
	size_t padCursor = 0;
	size_t releaseCursor = 0;
	size_t checkCursor = 0;
	bool failed = false;
	int checks = 0;
	int mismatches = 0;
	int firstMismatchFrame = 0;
	std::string firstMismatch;
};

extern Replay replay;
