#pragma once

#include <cstdint>

#include "tools/VirtualPad.h"

class Contest;

// Runs the game scene the way the program does: a real GL window, the
// shell's frame and key handlers, the pads fed through SDL's event queue,
// the mixer open on whatever SDL_AUDIODRIVER names (dummy by default), and
// the build folder with its assets as working directory.
void StartGameHarness();

// Builds the game scene through registry row 0 as the shell's current
// scene, replacing any scene there; resets the settings and the game-wide
// values a previous game left behind.
Contest* NewGame();
// Deletes the current scene, if any.
void EndGame();
Contest* CurrentGame();

// One displayed frame through the shell's display handler.
void RunFrame();
void RunFrames(int count);
// A key press through the shell's key handler.
void PressKey(unsigned char key);

// The harness's pad in slot 0 or 1.
VirtualPad& HarnessPad(int pad);
// A button or axis of a harness pad, read by the next frame.
void PushButton(uint8_t pad, uint8_t button, bool down);
void PushAxis(uint8_t pad, uint8_t axis, int16_t value);

// Fraction of window pixels that differ from the clear colour, and the
// number of distinct colours among them.
struct FrameStats
{
	double coloured;
	int colours;
};
// Runs one frame like RunFrame but reads it back before the buffer swap,
// after which the drawing is gone.
FrameStats RunFrameAndRead();
