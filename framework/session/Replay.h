#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/input/InputStream.h"
#include "framework/session/ReplayLog.h"

class Test;

// Records a session's input frame by frame (--record), or plays a recorded
// one back (--replay) and checks that the world comes out bit for bit the
// same. The world steps a fixed time per frame and nothing reads the clock,
// so the input and the frames it arrived in determine the whole session.
//
// It takes part in the session through the input stream: recording, it
// listens to every input as the scene receives it; playing, it is the
// stream's source, handing over each recorded input in its frame instead of
// the live ones.
class Replay : public InputSource
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

	~Replay() override;

	// Starts writing a recording to path. False, with the reason, when it
	// cannot be written.
	bool Record(const std::string& path, const ReplayLog::Header& header, std::string* error);
	// Starts writing a recording to path whose first frames were played
	// before: header and lines come first, and what is heard from now on is
	// stamped from frame frames + 1.
	bool RecordAfter(const std::string& path, const ReplayLog::Header& header, const std::vector<InputLine>& lines,
		int frames, std::string* error);
	// Records into memory only, until the text grows beyond maxBytes: then
	// it stops and nothing is kept.
	void RecordInMemory(const ReplayLog::Header& header, std::size_t maxBytes);
	// What RecordInMemory has kept: the header and every line so far; empty
	// once it grew too long.
	const std::string& Kept() const { return kept; }
	// Starts playing log (read from path). With rewrite, the same input is
	// played and the file is written again with the digests this program
	// (named program) computes.
	void Play(ReplayLog log, const std::string& path, bool rewrite, const std::string& program);

	// Plays log as the first frames of an online game joined under way. The
	// camera, the window and the panel's own switches were the other
	// machine's, so their lines are skipped; after frame frames the replay
	// stops giving, without a word.
	void CatchUp(ReplayLog log, int frames);
	// The log being played.
	const ReplayLog& Log() const { return log; }
	// While playing: the first frame whose digest differed; -1 while none.
	int FirstMismatchFrame() const { return mismatches > 0 ? firstMismatchFrame : -1; }

	Mode GetMode() const { return mode; }
	bool IsPlaying() const { return mode == Mode::Playing; }
	// While playing: the viewer has paused the replay ('p').
	bool IsHeld() const { return held; }
	void ToggleHeld() { held = !held; }
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

	// Recording: an input as the scene received it, stamped with the frame
	// it belongs to.
	void Heard(const InputLine& input) override;
	// The scene is about to be rebuilt: its digest goes into the recording,
	// or is checked against it.
	void SceneRestarts(const Test& scene) override;
	// Frame boundaries: the beginning comes before the frame's inputs and
	// the scene's step, the end after the step (and after the picture is
	// shown).
	void FrameBegins(const Test& scene) override;
	void FrameEnds(const Test& scene) override;
	// Ends a recording: the digest of scene's world as the session ends.
	void SessionEnds(const Test& scene) override;

	// Playing: the next recorded input of the running frame that the shell
	// applies before the step, the next pad event the running scene reads
	// with its pads, or keyboard play's next release of every key; null
	// when the frame has no more.
	const InputLine* Next(InputChannel channel) override;
	bool EndsBeforeStep(const Test& scene) override;
	bool IsGiving() const override { return mode == Mode::Playing; }

	// Writes how the replay went to out.
	void Report(std::FILE* out) const;

private:
	const InputLine* Next(size_t* cursor, InputChannel channel);
	// The frame a line noted now belongs to: the running one inside a
	// frame, else the next one, whose step comes after it.
	int Stamp() const;
	void Write(const InputLine& line);
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

	// Recording in memory, and its bound.
	bool keeping = false;
	std::string kept;
	std::size_t keptLimit = 0;

	ReplayLog log;
	// Catching up: the frame after which the replay stops; -1 otherwise.
	int catchUpTo = -1;
	bool rewrite = false;
	bool played = false;
	// The frame after which a recording cut short handed over the controls.
	int handedOverAt = 0;
	// With rewrite: the header to write, and this program's digests in the
	// order they were taken.
	ReplayLog::Header rewrittenHeader;
	std::vector<InputLine> newDigests;
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
