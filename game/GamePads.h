#pragma once

#include <SDL2/SDL.h>

#include <array>
#include <chrono>
#include <functional>
#include <string>

#include "framework/input/PadEvent.h"

// The game pads plugged into the machine, and the slot each one holds: pad 0
// plays the knight and pad 1 the archer (unless the game swaps them).
//
// A pad SDL knows as a game controller reads by the position of its buttons,
// whatever its driver numbers them: south face button (A, cross) 0, east 1,
// west 2, north 3, left shoulder 4, Start 5, right shoulder 6; the left stick
// is axes 0 and 1, and the D-pad pushes that stick all the way. A pad SDL
// cannot map reads by its raw axis and button numbers.
class GamePads
{
public:
	using Sink = std::function<void(const PadEvent&)>;

	enum class Pulse
	{
		// The fighter took a hit.
		Hit,
		// The fighter went down.
		Down,
	};

	// Starts SDL's game-controller layer (never its video) and adds the
	// mappings of SDL_GAMECONTROLLERCONFIG and of a gamecontrollerdb.txt
	// beside the program; a mapping SDL rejects is one line on stderr. False
	// when SDL could not start: then there are no pads, and nothing is said.
	bool Open();
	void Close();

	// Handles every event SDL holds, in its order. A pad plugged in takes the
	// first free slot, preferring the one it held before; a third is ignored.
	// The pads' input becomes the game's pad events, handed to take; a pad
	// pulled out hands over the release of everything its slot held.
	void Poll(const Sink& take);
	// Like Poll, but the pads' input goes nowhere and what the game was told
	// is forgotten: for when the game forgets every reading.
	void Drop();

	// The name of the pad holding a slot; empty when the slot is free.
	std::string SlotName(int slot) const;
	// The last pad plugged in or pulled out, as one line, and when.
	const std::string& Notice() const { return notice; }
	std::chrono::steady_clock::time_point NoticeTime() const { return noticeTime; }

	// Shakes the pad in a slot, where it can.
	void Rumble(int slot, Pulse pulse) const;
	bool RumbleOn() const { return rumbleOn; }
	void SetRumble(bool on) { rumbleOn = on; }

private:
	struct Slot
	{
		// The pad holding the slot, -1 when free; opened as a controller
		// (mapped) or as a bare joystick (raw layout).
		SDL_JoystickID id = -1;
		SDL_GameController* controller = nullptr;
		SDL_Joystick* joystick = nullptr;
		std::string name;
		// The pad that held the slot last, which gets it back.
		SDL_JoystickGUID guid{};
		bool remembered = false;
		// Mapped layout: the stick's raw reading and the D-pad's directions
		// (-1, 0 or 1), x then y.
		std::array<int, 2> stick{};
		std::array<int, 2> dpad{};
		std::array<bool, 4> dpadHeld{};
		// What the game was last told the slot holds.
		std::array<bool, MaxPadElement + 1> held{};
		std::array<int, MaxPadElement + 1> axes{};
	};

	void Handle(const SDL_Event& event, const Sink& take);
	void Plug(int deviceIndex);
	void Unplug(SDL_JoystickID id, const Sink& take);
	// A pad left waiting takes the slot gone's pad freed.
	void TakeWaitingPad(SDL_JoystickID gone);
	int SlotOf(SDL_JoystickID id) const;
	int FreeSlotFor(const SDL_JoystickGUID& guid) const;
	void MappedButton(int slot, int button, bool down, const Sink& take);
	void MappedAxis(int slot, int axis, int value, const Sink& take);
	// The mapped stick axis from the stick and the D-pad together.
	void ShowStick(int slot, int axis, const Sink& take);
	void Tell(int slot, const PadEvent& event, const Sink& take);
	void Say(const std::string& line);

	std::array<Slot, PadSlots> slots;
	bool open = false;
	bool rumbleOn = true;
	std::string notice;
	std::chrono::steady_clock::time_point noticeTime;
};

extern GamePads gamePads;
