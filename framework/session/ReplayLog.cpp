#include "framework/session/ReplayLog.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "framework/input/LineWords.h"
#include "framework/session/ReplayLineFormat.h"

namespace
{
using Line = InputLine;

constexpr const char* Magic = "contest-replay";
constexpr int FirstFormatVersion = ReplayLineFormat::FirstFormatVersion;
// Version 3 adds the seed and the side to the header of a game played
// online; a session played on one machine keeps version 2's header, which
// programs from before online play still read.
constexpr int AloneFormatVersion = 2;
constexpr const char* SideNames[] = {"", "host", "partner"};
// The longest line the recorder writes is about 100 bytes.
constexpr size_t MaxLineLength = 512;
constexpr int MaxWindowSide = ReplayLineFormat::MaxWindowSide;
// The header's lines in their order; a game played on one machine has the
// first AloneFields.
const char* const HeaderFields[] = {Magic, "program", "scene", "window", "keyboard", "seed", "online"};
constexpr int AloneFields = 5;

// Comments and blank lines may stand anywhere.
bool IsBlank(const std::string& text)
{
	const size_t first = text.find_first_not_of(" \t");
	return first == std::string::npos || text[first] == '#';
}

// What is wrong with a line's bytes before its words are read: a line
// ending in CR LF is taken without its CR.
std::string CheckBytes(std::string* text)
{
	if (!text->empty() && text->back() == '\r')
	{
		text->pop_back();
	}
	if (text->size() > MaxLineLength)
	{
		return "the line is longer than " + std::to_string(MaxLineLength) + " bytes";
	}
	for (const char c : *text)
	{
		if (static_cast<unsigned char>(c) < ' ' && c != '\t')
		{
			char reason[64];
			std::snprintf(reason, sizeof(reason), "the line holds a control character (byte 0x%02x)",
				static_cast<unsigned char>(c));
			return reason;
		}
	}
	return "";
}


// The next line of the header that is not blank, which must be field's:
// false, with the reason, when it is missing or its bytes are wrong.
bool NextHeaderLine(std::istream& in, int* number, const char* field, std::string* text, std::string* reason)
{
	do
	{
		if (!std::getline(in, *text))
		{
			*reason = std::string("the header ends before its \"") + field + "\" line";
			return false;
		}
		++*number;
		*reason = CheckBytes(text);
		if (!reason->empty())
		{
			return false;
		}
	} while (IsBlank(*text));
	return true;
}

// Reads the value of the header's field-th line, text, whose first word
// words has read.
void ReadHeaderValue(LineWords& words, int field, const std::string& text, int rowCount, ReplayLog::Header* header,
	int* version)
{
	switch (field)
	{
	case 0:
		*version = static_cast<int>(words.Integer("format version", FirstFormatVersion, ReplayLog::FormatVersion));
		break;
	case 1:
	{
		// The rest of the line, as it stands.
		const std::string name = HeaderFields[field];
		header->program = text.substr(text.find(name) + name.size());
		header->program.erase(0, header->program.find_first_not_of(" \t"));
		break;
	}
	case 2:
		header->scene = static_cast<int>(words.Integer("scene row", 0, rowCount - 1));
		break;
	case 3:
		header->width = static_cast<int>(words.Integer("width", 1, MaxWindowSide));
		header->height = static_cast<int>(words.Integer("height", 1, MaxWindowSide));
		break;
	case 4:
		header->keyboardPlay = words.Integer("keyboard", 0, 1) != 0;
		break;
	case 5:
		header->seed = static_cast<unsigned>(words.Integer("seed", 0, UINT32_MAX));
		break;
	default:
	{
		const std::string side = words.Word("side");
		header->side = side == SideNames[1] ? ReplayLog::Side::Host : ReplayLog::Side::Partner;
		if (side != SideNames[1] && side != SideNames[2])
		{
			words.Fail("the side must be host or partner, not " + LineWords::Quoted(side));
		}
	}
	}
}

bool ReadHeader(std::istream& in, int* number, int rowCount, ReplayLog::Header* header, int* version,
	std::string* reason)
{
	constexpr int ProgramField = 1;
	std::string text;
	for (int i = 0; i < (*version > AloneFormatVersion ? static_cast<int>(std::size(HeaderFields)) : AloneFields); ++i)
	{
		const char* const field = HeaderFields[i];
		if (!NextHeaderLine(in, number, field, &text, reason))
		{
			return false;
		}
		LineWords words(text);
		if (words.Word("header") != field)
		{
			*reason = std::string("expected the header's \"") + field + "\" line";
			return false;
		}
		ReadHeaderValue(words, i, text, rowCount, header, version);
		if (i != ProgramField && words.Error().empty() && !words.Done())
		{
			words.Fail("more words than the line takes");
		}
		if (!words.Error().empty())
		{
			*reason = words.Error();
			return false;
		}
	}
	return true;
}

// Names what path is when it is not a file a recording can be read from.
std::string NotAFile(const std::string& path)
{
	struct stat status;
	if (stat(path.c_str(), &status) != 0)
	{
		return path + ": cannot be read: " + std::strerror(errno);
	}
	if (S_ISDIR(status.st_mode))
	{
		return path + ": is a directory, not a recording";
	}
	if (!S_ISREG(status.st_mode))
	{
		return path + ": is not a regular file";
	}
	return "";
}
} // namespace

bool ReplayLog::Read(const std::string& path, int rowCount, std::string* error)
{
	// Checked before opening: a pipe without a writer would block the open.
	*error = NotAFile(path);
	if (!error->empty())
	{
		return false;
	}
	std::ifstream in(path, std::ios::binary);
	if (!in)
	{
		*error = path + ": cannot be read";
		return false;
	}
	return Parse(in, path, rowCount, error);
}

bool ReplayLog::Parse(std::istream& in, const std::string& name, int rowCount, std::string* error)
{
	Header readHeader;
	int version = FormatVersion;
	std::vector<Line> readLines;
	int number = 0;
	std::string headerError;
	if (!ReadHeader(in, &number, rowCount, &readHeader, &version, &headerError))
	{
		*error = name + ":" + std::to_string(number) + ": not a replay: " + headerError;
		return false;
	}
	std::string text;
	int lastFrame = 1;
	while (std::getline(in, text))
	{
		++number;
		// Every line is written whole with its newline: one without it at
		// the end of the file is a line the recorder did not finish (a
		// full disk, a crash), and the recording ends before it.
		if (in.eof())
		{
			break;
		}
		std::string reason = CheckBytes(&text);
		if (reason.empty() && IsBlank(text))
		{
			continue;
		}
		if (reason.empty() && !readLines.empty() && readLines.back().kind == Line::End)
		{
			reason = "nothing may follow the end";
		}
		LineWords words(text);
		words.Fail(reason);
		Line line;
		if (!words.Error().empty() || !ReplayLineFormat::Read(words, rowCount, version, lastFrame, &line))
		{
			*error = name + ":" + std::to_string(number) + ": " + words.Error();
			return false;
		}
		lastFrame = line.frame;
		readLines.push_back(line);
	}
	header = readHeader;
	lines = std::move(readLines);
	return true;
}

bool ReplayLog::ReadOne(const std::string& text, int rowCount, Line* line, std::string* error)
{
	std::string bytes = text;
	LineWords words(bytes);
	words.Fail(CheckBytes(&bytes));
	if (words.Error().empty() && IsBlank(bytes))
	{
		words.Fail("an empty line");
	}
	if (words.Error().empty())
	{
		ReplayLineFormat::Read(words, rowCount, FormatVersion, 0, line);
	}
	*error = words.Error();
	return error->empty();
}

bool ReplayLog::Write(const std::string& path) const
{
	std::ofstream out(path);
	out << FormatHeader(header);
	for (const Line& line : lines)
	{
		out << Format(line);
	}
	out.close();
	return static_cast<bool>(out);
}

std::string ReplayLog::FormatHeader(const Header& header)
{
	const bool online = header.side != Side::Alone;
	std::string text = std::string(Magic) + " " + std::to_string(online ? FormatVersion : AloneFormatVersion) +
		"\nprogram " + header.program + "\nscene " + std::to_string(header.scene) + "\nwindow " +
		std::to_string(header.width) + " " + std::to_string(header.height) + "\nkeyboard " +
		(header.keyboardPlay ? "1" : "0") + "\n";
	if (online)
	{
		text += "seed " + std::to_string(header.seed) + "\nonline " + SideNames[static_cast<int>(header.side)] + "\n";
	}
	return text;
}


std::string ReplayLog::Format(const Line& line)
{
	return ReplayLineFormat::Format(line);
}
