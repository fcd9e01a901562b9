#pragma once

#include "game/ControlState.h"

class Input;
struct PadState;

// How the contest reads the two pads of a frame: the pause button, the
// start buttons, and each fighter's stick and buttons.
namespace PadControls
{
// The longest stick vector a fighter receives.
constexpr float MaxStickLength = 32.767f;
// Buttons 0 up to this one start the game; the fighters read 0 to 3.
constexpr int StartButtons = 8;
constexpr int FighterButtons = 4;

// The pause button went down on either pad in this frame.
bool PausePressed(const Input& pads);
// Whether any start button is held on any pad. Every start button then
// reads as released: one held through the start must be pressed again to
// act.
bool TakeStart(Input& pads);
// The fighter's stick, no longer than the longest a fighter receives, and
// its buttons, from pad.
void Fill(ControlState& control, const PadState& pad);
} // namespace PadControls
