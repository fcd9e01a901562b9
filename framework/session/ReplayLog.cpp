#include "framework/session/ReplayLog.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "framework/input/LineWords.h"
#include "framework/input/PadEvent.h"
#include "framework/core/Settings.h"

namespace
{
using Line = InputLine;

constexpr const char* Magic = "contest-replay";
// Version 1 stamped a session's end with the last frame that ran, while an
// input handled after that frame carried the next one; its end is read as
// the next frame's, which is how later versions write it.
constexpr int FirstFormatVersion = 1;
// Version 3 adds the seed and the side to the header of a game played
// online; a session played on one machine keeps version 2's header, which
// programs from before online play still read.
constexpr int AloneFormatVersion = 2;
constexpr const char* SideNames[] = {"", "host", "partner"};
// The longest line the recorder writes is about 100 bytes.
constexpr size_t MaxLineLength = 512;
// Sides of the largest monitors sold.
constexpr int MaxWindowSide = 8192;
constexpr int MaxKeyCode = 255;
constexpr int MaxSpecialKey = 1023;
// Shift, Ctrl and Alt, as freeglut reports them.
constexpr int MaxModifiers = 7;
// The scenes' own panel items are switches and sliders well inside this.
constexpr float MaxItemValue = 1.0e6f;

// How one argument of a line is written and read.
enum class ArgType
{
	// A whole number from min to max, in an int field of the line.
	Whole,
	// A finite number from min to max, written exactly in hexadecimal.
	Real,
	// Sixteen hexadecimal digits.
	Digest,
	// axis, press or release.
	PadAction,
	// A panel change: its own table below.
	Change,
};

struct Arg
{
	const char* what;
	ArgType type;
	double min;
	double max;
	int Line::*whole;
	float* (*real)(Line*);
};

constexpr Arg WholeArg(const char* what, int Line::*field, double min, double max)
{
	return {what, ArgType::Whole, min, max, field, nullptr};
}

constexpr Arg RealArg(const char* what, float* (*field)(Line*), double min, double max)
{
	return {what, ArgType::Real, min, max, nullptr, field};
}

constexpr Arg OfType(const char* what, ArgType type)
{
	return {what, type, 0.0, 0.0, nullptr, nullptr};
}

float* PointX(Line* line)
{
	return &line->point.x;
}

float* PointY(Line* line)
{
	return &line->point.y;
}

float* Zoom(Line* line)
{
	return &line->zoom;
}

constexpr int MaxArgs = 4;

// Every kind of line: its name in the file and its arguments in order. A
// kind is written and read from its row alone.
struct KindRow
{
	Line::Kind kind;
	const char* name;
	int argCount;
	Arg args[MaxArgs];
};

constexpr Arg KeyArg = WholeArg("key", &Line::code, 0, MaxKeyCode);
constexpr Arg XArg = RealArg("x", PointX, -MaxWorldCoordinate, MaxWorldCoordinate);
constexpr Arg YArg = RealArg("y", PointY, -MaxWorldCoordinate, MaxWorldCoordinate);
constexpr Arg DigestArg = OfType("digest", ArgType::Digest);

const KindRow KindRows[] = {
	{Line::Key, "key", 1, {KeyArg}},
	{Line::KeyUp, "keyup", 2, {KeyArg, WholeArg("modifiers", &Line::value, 0, MaxModifiers)}},
	{Line::Special, "special", 1, {WholeArg("special key", &Line::code, 0, MaxSpecialKey)}},
	{Line::MouseDown, "down", 2, {XArg, YArg}},
	{Line::ShiftMouseDown, "shiftdown", 2, {XArg, YArg}},
	{Line::MouseUp, "up", 2, {XArg, YArg}},
	{Line::MouseMove, "move", 2, {XArg, YArg}},
	{Line::View, "view", 3,
		{RealArg("x", PointX, -MaxViewReach, MaxViewReach), RealArg("y", PointY, -MaxViewReach, MaxViewReach),
			RealArg("zoom", Zoom, MinViewZoom, MaxViewZoom)}},
	{Line::Window, "window", 2,
		{WholeArg("width", &Line::width, 1, MaxWindowSide), WholeArg("height", &Line::height, 1, MaxWindowSide)}},
	{Line::Pad, "pad", 4,
		{OfType("pad event", ArgType::PadAction), WholeArg("pad", &Line::pad, 0, PadSlots - 1),
			WholeArg("axis or button", &Line::element, 0, MaxPadElement),
			WholeArg("value", &Line::value, INT16_MIN, INT16_MAX)}},
	{Line::Change, "change", 1, {OfType("change", ArgType::Change)}},
	{Line::Release, "release", 0, {}},
	{Line::RestartDigest, "digest restart", 1, {DigestArg}},
	{Line::FrameDigest, "digest frame", 1, {DigestArg}},
	{Line::End, "end", 1, {DigestArg}},
};

const KindRow* RowOf(Line::Kind kind)
{
	for (const KindRow& row : KindRows)
	{
		if (row.kind == kind)
		{
			return &row;
		}
	}
	return nullptr;
}

const char* const PadActionNames[] = {"axis", "press", "release"};

// What a panel change names besides its kind, and the value it carries.
enum class ChangeValue
{
	None,
	SceneRow,
	// Whole, inside the named setting's range.
	Setting,
	Hz,
	Switch,
	Item,
};

struct ChangeRow
{
	PanelChange::Kind kind;
	const char* name;
	// The change names a setting or a scene item before its value.
	bool keyed;
	ChangeValue value;
};

const ChangeRow ChangeRows[] = {
	{PanelChange::Scene, "scene", false, ChangeValue::SceneRow},
	{PanelChange::Restart, "restart", false, ChangeValue::None},
	{PanelChange::Setting, "setting", true, ChangeValue::Setting},
	{PanelChange::Hz, "hz", false, ChangeValue::Hz},
	{PanelChange::Pause, "pause", false, ChangeValue::Switch},
	{PanelChange::StepOnce, "step", false, ChangeValue::None},
	{PanelChange::SceneItem, "item", true, ChangeValue::Item},
};

const ChangeRow* RowOf(PanelChange::Kind kind)
{
	for (const ChangeRow& row : ChangeRows)
	{
		if (row.kind == kind)
		{
			return &row;
		}
	}
	return nullptr;
}

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

void ReadChange(LineWords& words, int rowCount, PanelChange* change)
{
	const std::string name = words.Word("change");
	const ChangeRow* found = nullptr;
	for (const ChangeRow& row : ChangeRows)
	{
		found = name == row.name ? &row : found;
	}
	if (found == nullptr)
	{
		words.Fail("no change " + LineWords::Quoted(name));
		return;
	}
	change->kind = found->kind;
	const SettingField* field = nullptr;
	if (found->keyed)
	{
		change->key = words.Word(found->value == ChangeValue::Setting ? "setting" : "item");
		field = FindSettingField(change->key.c_str());
		if (found->value == ChangeValue::Setting && field == nullptr)
		{
			words.Fail("no setting " + LineWords::Quoted(change->key));
			return;
		}
	}
	switch (found->value)
	{
	case ChangeValue::None:
		break;
	case ChangeValue::SceneRow:
		change->value = static_cast<float>(words.Integer("scene row", 0, rowCount - 1));
		break;
	case ChangeValue::Setting:
		change->value = words.Real("value", field->min, field->max);
		if (change->value != std::trunc(change->value))
		{
			words.Fail("value must be a whole number");
		}
		break;
	case ChangeValue::Hz:
		change->value = words.Real("value", MinHz, MaxHz);
		break;
	case ChangeValue::Switch:
		change->value = words.Real("value", 0.0, 1.0);
		if (change->value != 0.0f && change->value != 1.0f)
		{
			words.Fail("value must be 0 or 1");
		}
		break;
	case ChangeValue::Item:
		change->value = words.Real("value", -MaxItemValue, MaxItemValue);
		break;
	}
}

void ReadArg(LineWords& words, const Arg& arg, int rowCount, Line* line)
{
	switch (arg.type)
	{
	case ArgType::Whole:
		line->*arg.whole = static_cast<int>(words.Integer(arg.what, static_cast<long>(arg.min),
			static_cast<long>(arg.max)));
		break;
	case ArgType::Real:
		*arg.real(line) = words.Real(arg.what, arg.min, arg.max);
		break;
	case ArgType::Digest:
		line->digest = words.Digest(arg.what);
		break;
	case ArgType::PadAction:
	{
		const std::string name = words.Word(arg.what);
		line->code = -1;
		for (int action = 0; action < static_cast<int>(std::size(PadActionNames)); ++action)
		{
			line->code = name == PadActionNames[action] ? action : line->code;
		}
		if (line->code < 0)
		{
			words.Fail("no pad event " + LineWords::Quoted(name));
		}
		break;
	}
	case ArgType::Change:
		ReadChange(words, rowCount, &line->change);
		break;
	}
}

// A line whose frame, taken as the present format means it, comes no
// earlier than lastFrame.
bool ReadLine(LineWords& words, int rowCount, int version, int lastFrame, Line* line)
{
	const std::string frame = words.Word("frame");
	LineWords frameWord(frame);
	line->frame = static_cast<int>(frameWord.Integer("frame", 0, INT32_MAX));
	if (!frameWord.Error().empty())
	{
		words.Fail(frameWord.Error());
		return false;
	}
	std::string name = words.Word("event");
	if (name == "digest")
	{
		name += " " + words.Word("digest's moment");
	}
	const KindRow* found = nullptr;
	for (const KindRow& row : KindRows)
	{
		found = name == row.name ? &row : found;
	}
	if (found == nullptr)
	{
		words.Fail("no event " + LineWords::Quoted(name));
		return false;
	}
	line->kind = found->kind;
	for (int i = 0; i < found->argCount && words.Error().empty(); ++i)
	{
		ReadArg(words, found->args[i], rowCount, line);
	}
	if (words.Error().empty() && !words.Done())
	{
		words.Fail("more words than a " + LineWords::Quoted(name) + " line takes");
	}
	if (line->kind == Line::End && version == FirstFormatVersion)
	{
		++line->frame;
	}
	if (line->frame < lastFrame)
	{
		words.Fail("frame must not go back before " + std::to_string(lastFrame) + ", not " + LineWords::Quoted(frame));
	}
	return words.Error().empty();
}

bool ReadHeader(std::istream& in, int* number, int rowCount, ReplayLog::Header* header, int* version,
	std::string* reason)
{
	std::string text;
	const char* const fields[] = {Magic, "program", "scene", "window", "keyboard", "seed", "online"};
	constexpr int AloneFields = 5;
	for (int i = 0; i < (*version > AloneFormatVersion ? 7 : AloneFields); ++i)
	{
		const char* const field = fields[i];
		do
		{
			if (!std::getline(in, text))
			{
				*reason = std::string("the header ends before its \"") + field + "\" line";
				return false;
			}
			++*number;
			*reason = CheckBytes(&text);
			if (!reason->empty())
			{
				return false;
			}
		} while (IsBlank(text));
		LineWords words(text);
		if (words.Word("header") != field)
		{
			*reason = std::string("expected the header's \"") + field + "\" line";
			return false;
		}
		if (field == fields[0])
		{
			*version = static_cast<int>(words.Integer("format version", FirstFormatVersion, ReplayLog::FormatVersion));
		}
		else if (field == fields[1])
		{
			header->program = text.substr(text.find(field) + std::string(field).size());
			header->program.erase(0, header->program.find_first_not_of(" \t"));
			continue;
		}
		else if (field == fields[2])
		{
			header->scene = static_cast<int>(words.Integer("scene row", 0, rowCount - 1));
		}
		else if (field == fields[3])
		{
			header->width = static_cast<int>(words.Integer("width", 1, MaxWindowSide));
			header->height = static_cast<int>(words.Integer("height", 1, MaxWindowSide));
		}
		else if (field == fields[4])
		{
			header->keyboardPlay = words.Integer("keyboard", 0, 1) != 0;
		}
		else if (field == fields[5])
		{
			header->seed = static_cast<unsigned>(words.Integer("seed", 0, UINT32_MAX));
		}
		else
		{
			const std::string side = words.Word("side");
			header->side = side == SideNames[1] ? ReplayLog::Side::Host : ReplayLog::Side::Partner;
			if (side != SideNames[1] && side != SideNames[2])
			{
				words.Fail("the side must be host or partner, not " + LineWords::Quoted(side));
			}
		}
		if (words.Error().empty() && !words.Done())
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

std::string Hex(uint64_t value)
{
	char text[20];
	std::snprintf(text, sizeof(text), "%016" PRIx64, value);
	return text;
}

// Exact: hexadecimal floating point reads back bit for bit.
std::string Real(float value)
{
	char text[40];
	std::snprintf(text, sizeof(text), "%a", static_cast<double>(value));
	return text;
}

std::string FormatChange(const PanelChange& change)
{
	const ChangeRow* row = RowOf(change.kind);
	std::string text = row->name;
	if (row->keyed)
	{
		text += " " + change.key;
	}
	if (row->value == ChangeValue::SceneRow)
	{
		text += " " + std::to_string(static_cast<int>(change.value));
	}
	else if (row->value != ChangeValue::None)
	{
		text += " " + Real(change.value);
	}
	return text;
}

std::string FormatArg(const Arg& arg, Line line)
{
	switch (arg.type)
	{
	case ArgType::Whole:
		return std::to_string(line.*arg.whole);
	case ArgType::Real:
		return Real(*arg.real(&line));
	case ArgType::Digest:
		return Hex(line.digest);
	case ArgType::PadAction:
		return PadActionNames[line.code];
	case ArgType::Change:
		return FormatChange(line.change);
	}
	return "";
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
		if (!words.Error().empty() || !ReadLine(words, rowCount, version, lastFrame, &line))
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
		ReadLine(words, rowCount, FormatVersion, 0, line);
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
	const KindRow* row = RowOf(line.kind);
	std::string text = std::to_string(line.frame) + " " + row->name;
	for (int i = 0; i < row->argCount; ++i)
	{
		text += " " + FormatArg(row->args[i], line);
	}
	return text + "\n";
}
