#pragma once

#include <box2d/box2d.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/shell/App.h"
#include "tools/VirtualPad.h"

class Test;

// One recorded session of the program, run in this process: the scene is
// built as the program builds it, every frame goes through the shell's
// display handler, and input arrives through the paths real input takes
// (keys and the mouse through the shell's handlers at window pixels, pads
// through two pads plugged into SDL as a player's are), so the recorder notes it exactly as it would
// note a player's. One session per process: the shell, the pads and the
// recorder are process-wide.
class BotSession
{
public:
	struct Setup
	{
		std::string path;
		int row = 0;
		bool keyboardPlay = false;
		int width = 0;
		int height = 0;
	};

	// Opens the pads, the mixer and a window of the setup's size, builds the
	// scene of its registry row and starts recording to its path. Throws
	// std::runtime_error when something cannot be started.
	BotSession(const Setup& setup, const char* program);
	// Ends the recording (its last digest is the world after the last
	// frame) and closes everything.
	~BotSession();

	BotSession(const BotSession&) = delete;
	BotSession& operator=(const BotSession&) = delete;

	// One displayed frame; the input given since the last one is handled
	// in it.
	void RunFrame();
	// Frames run so far.
	int Frames() const { return frames; }
	Test& Scene() const;

	void Key(unsigned char key);
	void KeyUp(unsigned char key);
	// Left button at window pixel (x, y), y downward; with shift the press
	// is a Shift-click.
	void Press(int x, int y, bool shift = false);
	void Drag(int x, int y);
	void Release(int x, int y);
	// The window pixel that shows world point p.
	void PixelOf(const b2Vec2& p, int* x, int* y) const;

	// A pad's axis or button as the pad would report it.
	void PadAxis(int pad, int axis, int16_t value);
	void PadButton(int pad, int button, bool down);

private:
	void OpenWindow(const char* program);

	std::unique_ptr<App> app;
	// The knight's and the archer's pads, read by their raw numbers.
	std::array<std::unique_ptr<VirtualPad>, 2> pads;
	int frames = 0;
};
