#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// How a replay compares with its recording: the digests checked, the
// differences and the first of them, and how the replay ended, told as the
// report's line and the program's exit status.
class DigestCheck
{
public:
	// The exit status of a replay that did not reach its end (the viewer's
	// Escape, a recording cut short) and found no difference before it: not
	// every digest was checked, so it is no success.
	static constexpr int StoppedStatus = 3;

	DigestCheck() = default;
	// A check of the replay called name; rewriting, its file is to be
	// written again with this program's digests rather than judged by the
	// old ones.
	DigestCheck(std::string name, bool rewriting);

	// One digest at frame, taken when (after the frame, at a restart, at
	// the end): as recorded and as replayed.
	void Compare(int frame, const char* when, uint64_t recorded, uint64_t replayed);
	// A difference that is no digest's, at frame: what happened.
	void Differ(int frame, const std::string& what);
	// The replay reached its end after frames frames.
	void Ended(int frames);
	// The replay stopped at frame, before its end.
	void Stopped(int frame);
	// Rewriting: whether the file was written again.
	void Rewritten(bool written);

	int Checked() const { return checked; }
	int Differences() const { return differences; }
	// The frame of the first difference; -1 while there is none.
	int FirstDifferenceFrame() const { return differences > 0 ? firstFrame : -1; }
	// What the first difference was; empty while there is none.
	const std::string& FirstDifference() const { return first; }

	// Writes how the replay went to out, in one line.
	void Report(std::FILE* out) const;
	// 0 when every digest matched (or the file was written again), 1 when
	// one differs (or the file could not be written), StoppedStatus when
	// the replay stopped before its end.
	int ExitStatus() const;

private:
	void ReportStopped(std::FILE* out) const;

	std::string name;
	bool rewriting = false;
	bool writeFailed = false;
	bool ended = false;
	// The frames played to the end, or the frame the replay stopped at.
	int frames = 0;
	int checked = 0;
	int differences = 0;
	int firstFrame = 0;
	std::string first;
};
