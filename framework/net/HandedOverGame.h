#pragma once

#include <cstddef>
#include <string>

#include "framework/session/ReplayLog.h"
#include "framework/session/TravelRules.h"

// The host's game as a partner receives it to catch up with: announced by
// the welcome (its input delay, the frames played, the bytes of its text),
// then in pieces, and taken only if the host's program could have played
// it.
class HandedOverGame
{
public:
	void Announce(int delay, int frames, std::size_t bytes);
	int Delay() const { return delay; }
	int Frames() const { return frames; }
	std::size_t Bytes() const { return bytes; }
	// Appends a piece; false, with the reason, when more comes than was
	// announced.
	bool Add(const std::string& piece, std::string* error);
	bool IsComplete() const { return text.size() == bytes; }
	// Reads the whole game, checked against rowCount scenes and rules, and
	// lets go of its text; false, with the reason, for a game the host's
	// program could not have handed over.
	bool Take(int rowCount, const TravelRules& rules, ReplayLog* played, std::string* error);
	void Clear() { std::string().swap(text); }

private:
	// What is wrong with the game played; empty when nothing is.
	std::string Fault(const ReplayLog& played, const TravelRules& rules) const;

	int delay = 0;
	int frames = 0;
	std::size_t bytes = 0;
	std::string text;
};
