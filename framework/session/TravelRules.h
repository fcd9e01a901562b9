#pragma once

#include <string>
#include <vector>

#include "framework/session/ReplayLog.h"

class InputDevices;

// What may travel in an online game, and from which side: the one table
// both ends use, the sender to choose what it sends and the receiver to
// check what comes, so the two cannot drift. A side sends only what its
// program produces: its own fighter's pad and keys, the game keys either
// player may use, the mouse's drags and bombs, and (the host alone) panel
// changes that act on both machines. The camera, the window, the panel's
// own switches and the session's keys stay on each machine; scenes never
// change.
class TravelRules
{
public:
	using Line = InputLine;
	using Side = ReplayLog::Side;

	// What a machine does with one of its own inputs online.
	enum class Verdict
	{
		// It goes to the partner and acts on both machines.
		Travels,
		// It acts on this machine alone, at once, and nothing records it.
		StaysHere,
		// It is dropped.
		Refused,
	};

	// A frame's inputs from one side may number this many, and hold one
	// rebuild of the scene and one single step at most: what a player's
	// hands and the panel make in a sixtieth of a second, and a bound on
	// what one frame can cost. A frame of a game handed over holds both
	// players' inputs.
	static constexpr int MaxLinesPerFrame = 48;
	static constexpr int MaxRebuildsPerFrame = 1;

	// The game's devices say which keys play which fighter; without them
	// (a scene with no fighters) no letter key is a fighter's.
	explicit TravelRules(const InputDevices* devices = nullptr) : devices(devices) {}

	// A live input of side's program, as the keyboard play of the moment
	// makes it: what becomes of it, and why when it is refused (empty when
	// it is dropped without a word).
	Verdict Outgoing(const Line& input, Side side, std::string* why) const;
	// A frame's inputs from side: false, naming what came, unless its
	// program could have sent them all (whichever keyboard play it had).
	bool CheckBatch(const std::vector<Line>& lines, Side side, std::string* why) const;
	// A frame of a game that one machine played and hands over: false,
	// naming the line, unless either player's program could have made each
	// line. The host's own camera, window and panel switches may be there.
	bool CheckHandedOver(const std::vector<Line>& lines, std::string* why) const;
	// As the frame carries it out: a key sent by side still plays what it
	// played when sent. Keyboard play may have been switched on its way,
	// and both machines then pass it over alike.
	bool ActsNow(const Line& input, Side side) const;
	// The fighter a side plays: the pad slot it drives.
	static int PadOf(Side side) { return side == Side::Partner ? 1 : 0; }

private:
	// Why side's program would not send input with keyboard play as given;
	// empty when it would.
	std::string Refusal(const Line& input, Side side, bool keyboardPlay) const;
	std::string KeyRefusal(unsigned char key, Side side, bool keyboardPlay) const;
	std::string KeyUpRefusal(const Line& input, Side side) const;
	// Whether either side's program, with keyboard play on or off, makes
	// line; when not, the last reason it would not.
	bool EitherPlayerSends(const Line& line, std::string* refusal) const;
	// Why a frame's lines from this many players go beyond what one frame
	// may hold.
	static std::string BeyondBounds(const std::vector<Line>& lines, int players);
	bool KeyboardPlay() const;

	const InputDevices* devices;
};

// The key a key release stands for: under Ctrl a letter arrives as its
// control code, and the release names the letter.
unsigned char ReleasedKey(const InputLine& release);
