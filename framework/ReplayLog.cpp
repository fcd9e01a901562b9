#include "framework/ReplayLog.h"

#include <SDL/SDL.h>

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "framework/Settings.h"

namespace
{
constexpr const char* Magic = "contest-replay";
constexpr int MaxWindowSide = 16384;
constexpr int MaxKeyCode = 255;
constexpr int MaxSpecialKey = 1023;
constexpr int MaxPadElement = 255;
// Shift, Ctrl and Alt, as freeglut reports them.
constexpr int MaxModifiers = 7;

struct KindName
{
	ReplayLog::Line::Kind kind;
	const char* name;
};
constexpr KindName InputNames[] = {
	{ReplayLog::Line::Key, "key"},
	{ReplayLog::Line::KeyUp, "keyup"},
	{ReplayLog::Line::Special, "special"},
	{ReplayLog::Line::MouseDown, "down"},
	{ReplayLog::Line::ShiftMouseDown, "shiftdown"},
	{ReplayLog::Line::MouseUp, "up"},
	{ReplayLog::Line::MouseMove, "move"},
	{ReplayLog::Line::View, "view"},
	{ReplayLog::Line::Window, "window"},
	{ReplayLog::Line::Pad, "pad"},
	{ReplayLog::Line::Change, "change"},
	{ReplayLog::Line::Release, "release"},
	{ReplayLog::Line::End, "end"},
};

struct ChangeName
{
	PanelChange::Kind kind;
	const char* name;
};
constexpr ChangeName ChangeNames[] = {
	{PanelChange::Scene, "scene"},
	{PanelChange::Restart, "restart"},
	{PanelChange::Setting, "setting"},
	{PanelChange::Hz, "hz"},
	{PanelChange::Pause, "pause"},
	{PanelChange::StepOnce, "step"},
	{PanelChange::SceneItem, "item"},
};

struct PadName
{
	int type;
	const char* name;
};
constexpr PadName PadNames[] = {
	{SDL_JOYAXISMOTION, "axis"},
	{SDL_JOYBUTTONDOWN, "press"},
	{SDL_JOYBUTTONUP, "release"},
};

// Reads the words of one line, each checked as it is taken; the first
// failure is kept as the reason.
class Words
{
public:
	explicit Words(const std::string& text)
	{
		std::istringstream stream(text);
		std::string word;
		while (stream >> word)
		{
			words.push_back(word);
		}
	}

	bool Done() const { return next == words.size(); }
	size_t Count() const { return words.size(); }
	const std::string& Error() const { return error; }

	std::string Word(const char* what)
	{
		if (next >= words.size())
		{
			Fail(std::string("missing ") + what);
			return "";
		}
		return words[next++];
	}

	long Integer(const char* what, long min, long max)
	{
		const std::string word = Word(what);
		char* end = nullptr;
		errno = 0;
		const long value = std::strtol(word.c_str(), &end, 10);
		if (error.empty() && (word.empty() || *end != '\0' || errno != 0 || value < min || value > max))
		{
			Fail(std::string(what) + " must be a whole number from " + std::to_string(min) + " to " +
				std::to_string(max) + ", not \"" + word + "\"");
		}
		return value;
	}

	float Real(const char* what)
	{
		const std::string word = Word(what);
		char* end = nullptr;
		const float value = std::strtof(word.c_str(), &end);
		if (error.empty() && (word.empty() || *end != '\0' || !std::isfinite(value)))
		{
			Fail(std::string(what) + " must be a finite number, not \"" + word + "\"");
		}
		return value;
	}

	uint64_t Hex(const char* what)
	{
		const std::string word = Word(what);
		char* end = nullptr;
		errno = 0;
		const unsigned long long value = std::strtoull(word.c_str(), &end, 16);
		if (error.empty() && (word.empty() || *end != '\0' || errno != 0))
		{
			Fail(std::string(what) + " must be a hexadecimal number, not \"" + word + "\"");
		}
		return value;
	}

	void Fail(const std::string& reason)
	{
		if (error.empty())
		{
			error = reason;
		}
	}

private:
	std::vector<std::string> words;
	size_t next = 0;
	std::string error;
};

// Comments and blank lines may stand anywhere.
bool IsBlank(const std::string& text)
{
	const size_t first = text.find_first_not_of(" \t\r");
	return first == std::string::npos || text[first] == '#';
}

void ReadChange(Words& words, int rowCount, PanelChange* change)
{
	const std::string name = words.Word("change");
	for (const ChangeName& entry : ChangeNames)
	{
		if (name == entry.name)
		{
			change->kind = entry.kind;
		}
	}
	switch (change->kind)
	{
	case PanelChange::Scene:
		change->value = static_cast<float>(words.Integer("scene row", 0, rowCount - 1));
		break;
	case PanelChange::Setting:
		change->key = words.Word("setting");
		if (FindSettingField(change->key.c_str()) == nullptr)
		{
			words.Fail("no setting \"" + change->key + "\"");
		}
		change->value = words.Real("value");
		break;
	case PanelChange::Hz:
	case PanelChange::Pause:
		change->value = words.Real("value");
		break;
	case PanelChange::SceneItem:
		change->key = words.Word("item");
		change->value = words.Real("value");
		break;
	case PanelChange::Restart:
	case PanelChange::StepOnce:
		break;
	}
	if (name != ChangeNames[change->kind].name)
	{
		words.Fail("no change \"" + name + "\"");
	}
}

void ReadPad(Words& words, ReplayLog::Line* line)
{
	const std::string type = words.Word("pad event");
	line->code = -1;
	for (const PadName& entry : PadNames)
	{
		if (type == entry.name)
		{
			line->code = entry.type;
		}
	}
	if (line->code < 0)
	{
		words.Fail("no pad event \"" + type + "\"");
	}
	line->pad = static_cast<int>(words.Integer("pad", 0, MaxPadElement));
	line->element = static_cast<int>(words.Integer("axis or button", 0, MaxPadElement));
	line->value = static_cast<int>(words.Integer("value", INT16_MIN, INT16_MAX));
}

// The arguments of an event line after its frame and name.
void ReadArguments(Words& words, int rowCount, ReplayLog::Line* line)
{
	using Line = ReplayLog::Line;
	switch (line->kind)
	{
	case Line::Key:
		line->code = static_cast<int>(words.Integer("key", 0, MaxKeyCode));
		break;
	case Line::KeyUp:
		line->code = static_cast<int>(words.Integer("key", 0, MaxKeyCode));
		line->value = static_cast<int>(words.Integer("modifiers", 0, MaxModifiers));
		break;
	case Line::Special:
		line->code = static_cast<int>(words.Integer("special key", 0, MaxSpecialKey));
		break;
	case Line::MouseDown:
	case Line::ShiftMouseDown:
	case Line::MouseUp:
	case Line::MouseMove:
	case Line::View:
		line->point.x = words.Real("x");
		line->point.y = words.Real("y");
		if (line->kind == Line::View)
		{
			line->zoom = words.Real("zoom");
		}
		break;
	case Line::Window:
		line->width = static_cast<int>(words.Integer("width", 1, MaxWindowSide));
		line->height = static_cast<int>(words.Integer("height", 1, MaxWindowSide));
		break;
	case Line::Pad:
		ReadPad(words, line);
		break;
	case Line::Change:
		ReadChange(words, rowCount, &line->change);
		break;
	case Line::RestartDigest:
	case Line::FrameDigest:
	case Line::End:
		line->digest = words.Hex("digest");
		break;
	case Line::Release:
		break;
	}
}

bool ReadLine(Words& words, int rowCount, int lastFrame, ReplayLog::Line* line)
{
	using Line = ReplayLog::Line;
	line->frame = static_cast<int>(words.Integer("frame", lastFrame, INT32_MAX));
	const std::string name = words.Word("event");
	bool known = false;
	for (const KindName& entry : InputNames)
	{
		if (name == entry.name)
		{
			line->kind = entry.kind;
			known = true;
		}
	}
	if (name == "digest")
	{
		const std::string when = words.Word("digest's moment");
		known = when == "restart" || when == "frame";
		line->kind = when == "restart" ? Line::RestartDigest : Line::FrameDigest;
	}
	if (!known)
	{
		words.Fail("no event \"" + name + "\"");
	}
	ReadArguments(words, rowCount, line);
	if (words.Error().empty() && !words.Done())
	{
		words.Fail("more words than a \"" + name + "\" line takes");
	}
	return words.Error().empty();
}

bool ReadHeader(std::istream& in, int* number, int rowCount, ReplayLog::Header* header, std::string* reason)
{
	std::string text;
	const char* const fields[] = {Magic, "program", "scene", "window", "keyboard"};
	for (const char* field : fields)
	{
		do
		{
			if (!std::getline(in, text))
			{
				*reason = std::string("the header ends before its \"") + field + "\" line";
				return false;
			}
			++*number;
		} while (IsBlank(text));
		Words words(text);
		if (words.Word("header") != field)
		{
			*reason = std::string("expected the header's \"") + field + "\" line";
			return false;
		}
		if (field == fields[0])
		{
			words.Integer("format version", ReplayLog::FormatVersion, ReplayLog::FormatVersion);
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
		else
		{
			header->keyboardPlay = words.Integer("keyboard", 0, 1) != 0;
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
} // namespace

bool ReplayLog::Read(const std::string& path, int rowCount, std::string* error)
{
	std::ifstream in(path);
	if (!in)
	{
		*error = path + ": cannot be read";
		return false;
	}
	Header readHeader;
	std::vector<Line> readLines;
	int number = 0;
	std::string reason;
	if (!ReadHeader(in, &number, rowCount, &readHeader, &reason))
	{
		*error = path + ":" + std::to_string(number) + ": not a replay: " + reason;
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
		if (IsBlank(text) || in.eof())
		{
			continue;
		}
		Words words(text);
		Line line;
		if (!readLines.empty() && readLines.back().kind == Line::End)
		{
			words.Fail("nothing may follow the end");
		}
		if (!words.Error().empty() || !ReadLine(words, rowCount, lastFrame, &line))
		{
			*error = path + ":" + std::to_string(number) + ": " + words.Error();
			return false;
		}
		lastFrame = line.frame;
		readLines.push_back(line);
	}
	header = readHeader;
	lines = std::move(readLines);
	return true;
}

bool ReplayLog::Write(const std::string& path) const
{
	std::ofstream out(path);
	out << FormatHeader(header);
	for (const Line& line : lines)
	{
		out << Format(line);
	}
	out.flush();
	return static_cast<bool>(out);
}

std::string ReplayLog::FormatHeader(const Header& header)
{
	return std::string(Magic) + " " + std::to_string(FormatVersion) + "\nprogram " + header.program + "\nscene " +
		std::to_string(header.scene) + "\nwindow " + std::to_string(header.width) + " " +
		std::to_string(header.height) + "\nkeyboard " + (header.keyboardPlay ? "1" : "0") + "\n";
}

std::string ReplayLog::Format(const Line& line)
{
	std::string text = std::to_string(line.frame) + " ";
	for (const KindName& entry : InputNames)
	{
		if (entry.kind == line.kind)
		{
			text += entry.name;
		}
	}
	switch (line.kind)
	{
	case Line::Key:
	case Line::Special:
		text += " " + std::to_string(line.code);
		break;
	case Line::KeyUp:
		text += " " + std::to_string(line.code) + " " + std::to_string(line.value);
		break;
	case Line::MouseDown:
	case Line::ShiftMouseDown:
	case Line::MouseUp:
	case Line::MouseMove:
		text += " " + Real(line.point.x) + " " + Real(line.point.y);
		break;
	case Line::View:
		text += " " + Real(line.point.x) + " " + Real(line.point.y) + " " + Real(line.zoom);
		break;
	case Line::Window:
		text += " " + std::to_string(line.width) + " " + std::to_string(line.height);
		break;
	case Line::Pad:
		for (const PadName& entry : PadNames)
		{
			if (entry.type == line.code)
			{
				text += std::string(" ") + entry.name;
			}
		}
		text += " " + std::to_string(line.pad) + " " + std::to_string(line.element) + " " + std::to_string(line.value);
		break;
	case Line::Change:
		text += std::string(" ") + ChangeNames[line.change.kind].name;
		if (!line.change.key.empty())
		{
			text += " " + line.change.key;
		}
		if (line.change.kind == PanelChange::Scene)
		{
			text += " " + std::to_string(static_cast<int>(line.change.value));
		}
		else if (line.change.kind != PanelChange::Restart && line.change.kind != PanelChange::StepOnce)
		{
			text += " " + Real(line.change.value);
		}
		break;
	case Line::RestartDigest:
		text += "digest restart " + Hex(line.digest);
		break;
	case Line::FrameDigest:
		text += "digest frame " + Hex(line.digest);
		break;
	case Line::End:
		text += " " + Hex(line.digest);
		break;
	case Line::Release:
		break;
	}
	return text + "\n";
}
