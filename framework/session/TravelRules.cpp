#include "framework/session/TravelRules.h"

#include <GL/freeglut.h>

#include "framework/input/InputStream.h"
#include "framework/input/LineWords.h"
#include "framework/input/ProgramStart.h"

namespace
{
using Line = InputLine;

constexpr unsigned char EscapeKey = 27;
// Ctrl-A to Ctrl-Z.
constexpr unsigned char FirstControlCode = 1;
constexpr unsigned char LastControlCode = 26;

// The shell's keys that act on the world the same on both machines: a
// bomb, the physics' pause, a restart.
bool IsSharedShellKey(unsigned char key)
{
	return key == ' ' || key == 'p' || key == 'r';
}

// A line as a message names it: quoted, without its newline.
std::string Named(const Line& line)
{
	const std::string text = ReplayLog::Format(line);
	return LineWords::Quoted(text.substr(0, text.size() - 1));
}

std::string KeyName(unsigned char key)
{
	return key > ' ' && key < 127 ? std::string("'") + static_cast<char>(key) + "'" : "code " + std::to_string(key);
}
} // namespace

unsigned char ReleasedKey(const Line& release)
{
	const unsigned char key = static_cast<unsigned char>(release.code);
	if ((release.value & GLUT_ACTIVE_CTRL) != 0 && key >= FirstControlCode && key <= LastControlCode)
	{
		return static_cast<unsigned char>('a' + key - FirstControlCode);
	}
	return key;
}

bool TravelRules::KeyboardPlay() const
{
	return devices != nullptr && devices->KeyboardPlay();
}

TravelRules::Verdict TravelRules::Outgoing(const Line& input, Side side, std::string* why) const
{
	why->clear();
	if (IsMachineOwn(input))
	{
		return Verdict::StaysHere;
	}
	*why = Refusal(input, side, KeyboardPlay());
	return why->empty() ? Verdict::Travels : Verdict::Refused;
}

bool TravelRules::CheckBatch(const std::vector<Line>& lines, Side side, std::string* why) const
{
	for (const Line& line : lines)
	{
		const std::string refusal = Refusal(line, side, true);
		if (!refusal.empty() && !Refusal(line, side, false).empty())
		{
			*why = refusal + ": " + Named(line);
			return false;
		}
	}
	*why = BeyondBounds(lines, 1);
	return why->empty();
}

bool TravelRules::CheckHandedOver(const std::vector<Line>& lines, std::string* why) const
{
	for (const Line& line : lines)
	{
		// What a host playing alone keeps for itself is in its game, and a
		// partner passes it over; keyboard play's release is the host's own
		// window losing the focus.
		const bool hostOwn = IsMachineOwn(line) || line.kind == Line::Release || line.kind == Line::RestartDigest ||
			line.kind == Line::FrameDigest;
		std::string refusal;
		if (!hostOwn && !EitherPlayerSends(line, &refusal))
		{
			*why = refusal + ": " + Named(line);
			return false;
		}
	}
	// Both players' inputs are in a frame of the game.
	*why = BeyondBounds(lines, 2);
	return why->empty();
}

bool TravelRules::EitherPlayerSends(const Line& line, std::string* refusal) const
{
	for (const Side side : {Side::Host, Side::Partner})
	{
		for (const bool keyboardPlay : {true, false})
		{
			*refusal = Refusal(line, side, keyboardPlay);
			if (refusal->empty())
			{
				return true;
			}
		}
	}
	return false;
}

bool TravelRules::ActsNow(const Line& input, Side side) const
{
	return input.kind != Line::Key || KeyRefusal(static_cast<unsigned char>(input.code), side, KeyboardPlay()).empty();
}

std::string TravelRules::Refusal(const Line& input, Side side, bool keyboardPlay) const
{
	switch (input.kind)
	{
	case Line::Key:
		return KeyRefusal(static_cast<unsigned char>(input.code), side, keyboardPlay);
	case Line::KeyUp:
		return KeyUpRefusal(input, side);
	case Line::MouseDown:
	case Line::ShiftMouseDown:
	case Line::MouseUp:
	case Line::MouseMove:
		return "";
	case Line::Pad:
		return input.pad == PadOf(side) ? "" : "the other player's pad";
	case Line::Change:
		if (input.change.kind == PanelChange::Scene)
		{
			return "a change of scene";
		}
		return side == Side::Host ? "" : "a change of the game's settings, which only the host's panel makes";
	case Line::Special:
	case Line::View:
		return "a move of the other machine's camera";
	case Line::Window:
		return "a change of the other machine's window";
	case Line::Release:
		return "a release of the other player's keys";
	default:
		return "a line that is no input";
	}
}

std::string TravelRules::KeyRefusal(unsigned char key, Side side, bool keyboardPlay) const
{
	if (key == EscapeKey)
	{
		return "the key that ends the other machine's session";
	}
	if (IsSharedShellKey(key))
	{
		return "";
	}
	const int pad = devices != nullptr && keyboardPlay ? devices->FighterPadOf(key) : -1;
	if (pad >= 0)
	{
		return pad == PadOf(side) ? "" : "a key of the other player's fighter";
	}
	return devices != nullptr && devices->IsSharedKey(key, keyboardPlay) ? ""
																		  : "the key " + KeyName(key) + ", which plays no part online";
}

std::string TravelRules::KeyUpRefusal(const Line& input, Side side) const
{
	const int pad = devices != nullptr ? devices->FighterPadOf(ReleasedKey(input)) : -1;
	return pad < 0 || pad == PadOf(side) ? "" : "a release of the other player's key";
}

std::string TravelRules::BeyondBounds(const std::vector<Line>& lines, int players)
{
	int inputs = 0;
	int rebuilds = 0;
	int singleSteps = 0;
	for (const Line& line : lines)
	{
		inputs += line.kind == Line::RestartDigest || line.kind == Line::FrameDigest ? 0 : 1;
		const bool change = line.kind == Line::Change;
		rebuilds += (change && line.change.kind == PanelChange::Restart) || (line.kind == Line::Key && line.code == 'r');
		singleSteps += change && line.change.kind == PanelChange::StepOnce;
	}
	if (inputs > players * MaxLinesPerFrame)
	{
		return std::to_string(inputs) + " inputs in one frame, where " + std::to_string(players * MaxLinesPerFrame) +
			" is the most a frame takes";
	}
	if (rebuilds > players * MaxRebuildsPerFrame || singleSteps > players * MaxRebuildsPerFrame)
	{
		return std::to_string(rebuilds + singleSteps) + " restarts or single steps in one frame";
	}
	return "";
}
