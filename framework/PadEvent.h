#pragma once

// A game pad's event as the program's inputs carry it, whatever device made
// it: the game's pads, keyboard play, a recording, the bot.

// Pads the game reads; events of any other pad are never produced.
constexpr int PadSlots = 2;
// Axis and button numbers a pad event may name.
constexpr int MaxPadElement = 255;

enum class PadAction
{
	// `value` is the axis reading, -32768 to 32767.
	Axis,
	Press,
	Release,
};
