#pragma once

#include <chrono>
#include <cstddef>
#include <string>

// Where the server says what it dropped: one stderr line for each message
// it would not take, naming the message, its sender and why. A flood of bad
// messages must not fill the operator's disk, so past a number of lines a
// second the rest are counted and reported in one line when the second ends.
class DropLog
{
public:
	using Clock = std::chrono::steady_clock;

	static constexpr int MaxLinesPerSecond = 50;
	// The longest part of a message that is shown in its line.
	static constexpr std::size_t MaxShownBytes = 40;

	// message is the text that came, shown quoted with anything unprintable
	// as '?'; from is ADDR:PORT.
	void Dropped(const std::string& message, const std::string& from, const std::string& reason);
	// Reports the lines held back, once their second is over.
	void Tick(Clock::time_point now);

private:
	static std::string Shown(const std::string& message);

	Clock::time_point secondStart{};
	int linesThisSecond = 0;
	long heldBack = 0;
};
