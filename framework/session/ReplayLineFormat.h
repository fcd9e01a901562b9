#pragma once

#include <string>

#include "framework/input/InputLine.h"

class LineWords;

// How each kind of input or digest line of a recording is written, and read
// back with the checks that every value lies in the range a real session
// can produce. A kind is written and read from its row of one table.
class ReplayLineFormat
{
public:
	// Version 1 stamped a session's end with the last frame that ran, while
	// an input handled after that frame carried the next one; its end is
	// read as the next frame's, which is how later versions write it.
	static constexpr int FirstFormatVersion = 1;
	// Sides of the largest monitors sold.
	static constexpr int MaxWindowSide = 8192;

	// Reads the line in words, written in format version, into line: false,
	// with words' error, for one no session produces or whose frame, taken
	// as the present format means it, comes earlier than lastFrame.
	static bool Read(LineWords& words, int rowCount, int version, int lastFrame, InputLine* line);
	// One line of text, ending in a newline.
	static std::string Format(const InputLine& line);
};
