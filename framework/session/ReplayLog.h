#pragma once

#include <box2d/box2d.h>

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "framework/input/InputLine.h"

// A recorded session as plain text: a header saying how the program was
// started, then one line per input with the frame it was handled in, and
// digests of the world to check a replay against. Inputs are kept as the
// scene received them: mouse positions as world points, so a replay never
// depends on the window's size or the panel's width.
//
//   contest-replay 1
//   program <version>
//   scene <registry row>
//   window <width> <height>
//   keyboard <0|1>
//   seed <rand's seed>         (a game played online)
//   online <host|partner>      (the machine it was recorded on)
//   <frame> <what> <arguments>...
class ReplayLog
{
public:
	static constexpr int FormatVersion = 3;
	// The seed rand starts from when no one sets it.
	static constexpr unsigned DefaultSeed = 1;

	// Where a session was played: on one machine, or online as either side.
	enum class Side
	{
		Alone,
		Host,
		Partner,
	};

	struct Header
	{
		std::string program;
		int scene = 0;
		int width = 0;
		int height = 0;
		bool keyboardPlay = false;
		unsigned seed = DefaultSeed;
		Side side = Side::Alone;
	};

	using Line = InputLine;

	// Reads a whole file whose scene must be below rowCount. Every value
	// must lie in the range a real session can produce. On failure, error
	// says "FILE:LINE: what" in a line of sensible length, and nothing of
	// the file is kept.
	bool Read(const std::string& path, int rowCount, std::string* error);
	// Reads a whole log from in as Read does, naming it name in the error.
	bool Parse(std::istream& in, const std::string& name, int rowCount, std::string* error);
	// Writes the whole log; false when the file cannot be written.
	bool Write(const std::string& path) const;

	// Reads one input or digest line as Read would, with the same checks:
	// false, with the reason, for one no session produces.
	static bool ReadOne(const std::string& text, int rowCount, Line* line, std::string* error);

	static std::string FormatHeader(const Header& header);
	// One line of text, ending in a newline.
	static std::string Format(const Line& line);

	// A line the world is checked against as it is played: a digest or
	// the end.
	static bool IsCheck(Line::Kind kind)
	{
		return kind == Line::RestartDigest || kind == Line::FrameDigest || kind == Line::End;
	}

	// The session ended properly: the last line is its End.
	bool IsComplete() const { return !lines.empty() && lines.back().kind == Line::End; }

	Header header;
	std::vector<Line> lines;
};
