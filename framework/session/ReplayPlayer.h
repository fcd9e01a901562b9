#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "framework/input/InputStream.h"
#include "framework/session/DigestCheck.h"
#include "framework/session/FrameCounter.h"
#include "framework/session/ReplayLog.h"
#include "framework/session/ReplayRewrite.h"
#include "framework/session/StopReason.h"

// Plays a recorded session back as the input stream's source, handing over
// each recorded input in its frame instead of the live ones, and checks
// that the world comes out bit for bit the same: the world steps a fixed
// time per frame and nothing reads the clock, so the inputs and their
// frames determine the whole session.
//
// It plays for one of two purposes: to check a recording (--replay), to its
// end or until the session ends, optionally writing the file again with
// this program's digests; or to catch up with an online game joined under
// way, up to a frame, after which it stops giving without a word.
class ReplayPlayer : public InputSource
{
public:
	enum class Purpose
	{
		Check,
		CatchUp,
	};

	// Starts checking log (read from path). With rewrite, the same input is
	// played and the file is written again with the digests this program
	// (named program) computes.
	void Play(ReplayLog log, const std::string& path, bool rewrite, const std::string& program);
	// Plays log as the first frames of an online game joined under way. The
	// camera, the window and the panel's own switches were the other
	// machine's, so their lines are skipped; after frame frames it stops
	// giving.
	void CatchUp(ReplayLog log, int frames);

	// The log being played.
	const ReplayLog& Log() const { return log; }
	// The digests compared so far, and how the replay ended.
	const DigestCheck& Check() const { return check; }
	// The first frame whose digest differed; -1 while none.
	int FirstMismatchFrame() const { return check.FirstDifferenceFrame(); }
	// Started and not stopped.
	bool IsPlaying() const { return playing; }
	StopReason Stopped() const { return stopReason; }
	// A replay ran in this session, whether or not it still plays.
	bool Played() const { return played; }
	// The viewer has paused the replay ('p').
	bool IsHeld() const { return held; }
	void ToggleHeld() { held = !held; }
	int Frame() const { return frames.Frame(); }
	// For the screen: "replay FILE: frame F of N", and that it is paused.
	std::string ProgressLine() const;

	// Playing: the next recorded input of the running frame that the shell
	// applies before the step, the next pad event the running scene reads
	// with its pads, or keyboard play's next release of every key; null
	// when the frame has no more.
	const InputLine* Next(InputChannel channel) override;
	// The recording ends before the running frame's step: its end is
	// checked and the replay has reached it.
	bool EndsBeforeStep(const Test& scene) override;
	bool IsGiving() const override { return playing; }

	void Heard(const InputLine&) override {}
	// The scene is about to be rebuilt: its digest is checked against the
	// recording's.
	void SceneRestarts(const Test& scene) override;
	void FrameBegins(const Test& scene) override;
	void FrameEnds(const Test& scene) override;
	// The session ended before the recording did.
	void SessionEnds(const Test& scene) override;

private:
	void Start(ReplayLog recording, const std::string& source, Purpose purpose);
	const InputLine* Next(std::size_t* cursor, InputChannel channel);
	// Moves the check cursor to the next digest or end, which it returns;
	// null when none is left.
	const InputLine* NextCheck();
	// Compares every digest noted for frames up to last with scene's world.
	void CheckUpTo(int last, const Test& scene);
	void CheckEnd(uint64_t endDigest);
	// A recording cut short stops handing over inputs after its last frame.
	void HandOverAtItsEnd();
	void Stop(StopReason reason);

	Purpose purpose = Purpose::Check;
	ReplayLog log;
	std::string path;
	FrameCounter frames;
	bool playing = false;
	bool played = false;
	bool held = false;
	// The recording's end has been checked: the session ends before the
	// next step.
	bool endChecked = false;
	StopReason stopReason = StopReason::NotStopped;
	// Catching up: the frame after which the replay stops.
	int catchUpTo = 0;
	std::optional<ReplayRewrite> rewrite;
	DigestCheck check;
	std::size_t inputCursor = 0;
	std::size_t padCursor = 0;
	std::size_t releaseCursor = 0;
	std::size_t checkCursor = 0;
};
