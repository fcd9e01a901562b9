#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <vector>

constexpr int MaxPads = 2;
constexpr int AxesPerPad = 20;
constexpr int ButtonsPerPad = 20;
// The button of either pad that pauses and resumes the game.
constexpr int PauseButton = 5;

// A pad's axis or button event as SDL reports it (made by keyboard play,
// replays, the bot and the tests).
SDL_Event PadAxisEvent(int pad, int axis, int value);
SDL_Event PadButtonEvent(int pad, int button, bool down);

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

// The two game pads (SDL joysticks 0 and 1), fed from SDL's event queue by
// the game step.
class Input
{
public:
	// Raw axis readings below this magnitude read as 0.
	static constexpr float DeadZone = 4.0f;

	Input();
	virtual ~Input();

	// Starts SDL's video and joystick subsystems and opens the pads.
	// 0 when pad 0 opened, 1 otherwise.
	int Init();
	int Shutdown();
	void ClearChanged();
	// Forgets every reading and every pad event still queued, as if no
	// button were held and every stick centred: a button held through a
	// switch of scenes must be pressed again to act.
	void Reset();
	// Applies one pad axis or button event; everything else, and events for
	// pads, axes or buttons beyond the tables, is dropped.
	void HandleEvent(const SDL_Event& event);
	// An event made by the program itself (keyboard play), for the next Read.
	void Queue(const SDL_Event& event);
	// One game frame's reading: clears the changed flags, applies the queued
	// events, then every event SDL holds. A recording notes the pads' events
	// among them; a replay takes the recorded ones instead.
	void Read();

	PadState pads[MaxPads];

private:
	bool ready;
	SDL_Joystick* joysticks[MaxPads];
	// Kept apart from SDL's queue, which holds 128 events and drops the
	// rest, and whose events a recording notes as the pads'.
	std::vector<SDL_Event> queued;
};

extern Input input;
