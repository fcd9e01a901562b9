#pragma once

#include <SDL2/SDL.h>

#include <string>
#include <vector>

// A game pad that exists only inside this process: SDL 2 plugs it in, pulls
// it out and reports its buttons and sticks through the very events a pad on
// a USB port produces, so the program reads it as it reads a real one.
// SDL's game-controller layer must be started (the program's pads open).
class VirtualPad
{
public:
	enum class Kind
	{
		// A pad SDL knows: its buttons and axes are SDL's controller buttons
		// and axes in their numbering (SDL_CONTROLLER_BUTTON_A is 0, ...).
		Controller,
		// A pad SDL has no mapping for: the program reads its raw numbers.
		Raw,
	};

	// Elements of a raw pad: a few beyond what the game's tables hold.
	static constexpr int RawElements = 24;

	// Plugs the pad in. Throws std::runtime_error when SDL refuses.
	VirtualPad(Kind kind, const std::string& name);
	// Pulls it out, if it is still in.
	~VirtualPad();
	VirtualPad(const VirtualPad&) = delete;
	VirtualPad& operator=(const VirtualPad&) = delete;

	// The event goes into SDL's queue at once, so a press and a release
	// before the program's next poll still read as both.
	void Press(int button, bool down);
	void Move(int axis, int value);
	void Unplug();
	// In again after Unplug, with the same identity (GUID).
	void Plug();
	bool IsPlugged() const { return joystick != nullptr; }

	// What the program asked the pad's motors for, in order: the low and high
	// frequency strengths.
	struct Rumbling
	{
		Uint16 low;
		Uint16 high;
	};
	const std::vector<Rumbling>& Rumbles() const { return rumbles; }

private:
	static int OnRumble(void* pad, Uint16 low, Uint16 high);

	Kind kind;
	std::string name;
	SDL_Joystick* joystick = nullptr;
	std::vector<Rumbling> rumbles;
};
