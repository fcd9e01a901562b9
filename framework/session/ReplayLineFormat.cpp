#include "framework/session/ReplayLineFormat.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "framework/core/Settings.h"
#include "framework/input/LineWords.h"
#include "framework/input/PadEvent.h"

namespace
{
using Line = InputLine;

constexpr int MaxWindowSide = ReplayLineFormat::MaxWindowSide;
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

} // namespace

bool ReplayLineFormat::Read(LineWords& words, int rowCount, int version, int lastFrame, Line* line)
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
	if (line->kind == Line::End && version == ReplayLineFormat::FirstFormatVersion)
	{
		++line->frame;
	}
	if (line->frame < lastFrame)
	{
		words.Fail("frame must not go back before " + std::to_string(lastFrame) + ", not " + LineWords::Quoted(frame));
	}
	return words.Error().empty();
}


std::string ReplayLineFormat::Format(const Line& line)
{
	const KindRow* row = RowOf(line.kind);
	std::string text = std::to_string(line.frame) + " " + row->name;
	for (int i = 0; i < row->argCount; ++i)
	{
		text += " " + FormatArg(row->args[i], line);
	}
	return text + "\n";
}
