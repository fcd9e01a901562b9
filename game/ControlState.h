#pragma once

#include <box2d/box2d.h>

// What a fighter's player asks of it this frame, filled from a game pad.
struct ControlState
{
	static constexpr int Buttons = 8;

	// Pad axis 0 as x (positive right) and axis 1 as y (positive down);
	// length at most 32.767.
	b2Vec2 stick{0.0f, 0.0f};
	bool held[Buttons] = {};
	// The button went down or up since the previous frame.
	bool changed[Buttons] = {};
};
