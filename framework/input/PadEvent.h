#pragma once

// A game pad's event as the program's inputs carry it, whatever device made
// it: the game's pads, keyboard play, a recording, the bot.

// Pads the game reads; events of any other pad are never produced.
constexpr int PadSlots = 2;
// Axis and button numbers a pad event may name.
constexpr int MaxPadElement = 255;
// A stick pushed all the way: the largest raw axis reading, either way.
constexpr int PadFullDeflection = 32767;

enum class PadAction
{
	// `value` is the axis reading, -32768 to 32767.
	Axis,
	Press,
	Release,
};

struct PadEvent
{
	int pad = 0;
	PadAction action = PadAction::Axis;
	// The axis or button.
	int element = 0;
	// The axis reading; 0 for buttons.
	int value = 0;

	static PadEvent Axis(int pad, int axis, int value) { return {pad, PadAction::Axis, axis, value}; }
	static PadEvent Button(int pad, int button, bool down)
	{
		return {pad, down ? PadAction::Press : PadAction::Release, button, 0};
	}
};
