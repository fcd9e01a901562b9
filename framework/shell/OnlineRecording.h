#pragma once

#include <string>
#include <vector>

#include "framework/input/InputLine.h"
#include "framework/session/ReplayLog.h"

class InputStream;
class ReplayRecorder;
class Test;

// The recording of an online game (--record with --host or --join): the
// game from its first frame, with both players' inputs, so both machines
// write the same file but for the side. A partner that caught up writes
// the frames it played first. Only the first game is recorded; a later one
// would overwrite it.
class OnlineRecording
{
public:
	OnlineRecording(ReplayRecorder& recorder, InputStream& stream) : recorder(recorder), stream(stream) {}

	// Where the game is to be written; empty: it is not.
	void WriteTo(const std::string& file) { path = file; }
	// A game starts on this machine with the frames played before it.
	void GameStarts(const ReplayLog::Header& header, const std::vector<InputLine>& before, int frames);
	// The game ends (a new one starts, the partner left), on the same frame
	// on both machines when a player left by Escape.
	void GameEnds(const Test& scene);

private:
	ReplayRecorder& recorder;
	InputStream& stream;
	std::string path;
	bool recorded = false;
};
