#pragma once

#include <cstdint>
#include <vector>

#include "framework/input/PadEvent.h"

class GamePads;
class InputStream;

constexpr int MaxPads = PadSlots;
constexpr int AxesPerPad = 20;
constexpr int ButtonsPerPad = 20;
// The button of either pad that pauses and resumes the game (Start on a pad
// SDL knows).
constexpr int PauseButton = 5;

// State of one game pad as the game reads it once per frame.
struct PadState
{
	// Stick readings in thousandths of the raw value (-32.768 to 32.767),
	// exactly 0 inside the dead zone.
	float axes[AxesPerPad];
	// 1 while held.
	int32_t buttons[ButtonsPerPad];
	// 1 if the button went down or up since the last ClearChanged: with
	// buttons 1 a press, with buttons 0 a release.
	int32_t changed[ButtonsPerPad];
};

// The two game pads' state (slots 0 and 1 of the pads plugged in), fed by
// the game step once per frame.
class Input
{
public:
	// Raw axis readings below this magnitude read as 0.
	static constexpr float DeadZone = 4.0f;

	explicit Input(GamePads& devices);

	// The stream the pads' events are offered to and a replay's come from;
	// it must be given before the first Read and outlive the reading.
	void UseStream(InputStream& stream) { this->stream = &stream; }

	// Starts the pads' devices: 0 when they started (pads may come later),
	// 1 when there can be none.
	int Init();
	int Shutdown();
	void ClearChanged();
	// Forgets every reading and every pad event still waiting, as if no
	// button were held and every stick centred: a button held through a
	// switch of scenes must be pressed again to act.
	void Reset();
	// Applies one pad event; events for pads, axes or buttons beyond the
	// tables are dropped.
	void HandleEvent(const PadEvent& event);
	// An event made by the program itself (keyboard play), for the next Read.
	void Queue(const PadEvent& event);
	// Pad slot pad lets go of every button and centres every axis at the
	// next Read, through the input stream as the pads' own events go: the
	// player on that slot has gone.
	void LetGoOf(int pad);
	// One game frame's reading: clears the changed flags, applies the queued
	// events, then every event of the pads plugged in. A recording notes the
	// pads' events; a replay takes the recorded ones instead.
	void Read();

	PadState pads[MaxPads];

private:
	GamePads& devices;
	InputStream* stream = nullptr;
	std::vector<PadEvent> queued;
	// Events standing for a player who has gone, offered like a pad's own.
	std::vector<PadEvent> lettingGo;
};

extern Input input;
