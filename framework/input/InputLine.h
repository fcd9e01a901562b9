#pragma once

#include <box2d/box2d.h>

#include <cstdint>

#include "framework/input/PanelChange.h"

// One input as the scene received it, with the frame it was handled in, or
// a digest of the world to check a session against. Every layer passes
// inputs as these: the devices and the router make them, the input stream
// orders them, recordings and the network carry them.
struct InputLine
{
	enum Kind
	{
		// A key press or release (with the modifiers held, in `value`), or
		// a special key press, as the shell handles it.
		Key,
		KeyUp,
		Special,
		// A left button press (plain or with Shift), its release, or
		// motion with a button held, at `point` in the world.
		MouseDown,
		ShiftMouseDown,
		MouseUp,
		MouseMove,
		// The camera moved by the mouse: centre `point`, `zoom`.
		View,
		// The window became `width` x `height` pixels.
		Window,
		// A pad event: `code` is its PadAction, then pad, axis or
		// button, value.
		Pad,
		// A change made in the control panel, or a scene switch.
		Change,
		// Keyboard play let go of every key (the window lost the focus).
		Release,
		// The world's digest at a restart or after the frame's step.
		RestartDigest,
		FrameDigest,
		// The session ended before this frame's step, with this digest.
		End,
	};

	int frame = 0;
	Kind kind = Key;
	int code = 0;
	int pad = 0;
	int element = 0;
	int value = 0;
	b2Vec2 point{0.0f, 0.0f};
	float zoom = 0.0f;
	int width = 0;
	int height = 0;
	PanelChange change{PanelChange::Restart, "", 0.0f};
	uint64_t digest = 0;

	// A digest line (RestartDigest, FrameDigest or End) of frame `frame`.
	static InputLine DigestOf(int frame, Kind kind, uint64_t digest)
	{
		InputLine line;
		line.frame = frame;
		line.kind = kind;
		line.digest = digest;
		return line;
	}
};
