#pragma once

#include "framework/core/Camera.h"

// Hears the text lines a scene or the shell draws, as drawn: window pixel
// x, y and the formatted text. Lets tools and tests read the status text.
class TextListener
{
public:
	virtual ~TextListener() = default;
	virtual void Heard(int x, int y, const char* text) = 0;
};

// What the program running a scene tells it about where it runs, given to
// the scene when it is built: a scene asks its context, never the program's
// parts by name. A scene built with none (a test's, a tool's) gets
// Standalone().
class SceneContext
{
public:
	virtual ~SceneContext() = default;
	// The camera of the window the scene is shown in, for a scene that
	// moves it itself; null when there is no window.
	virtual Camera* WindowCamera() const = 0;
	// The pad this machine reads for pad slot `slot`: the slot itself, or -1
	// when the slot's player plays on another machine.
	virtual int LocalPadFor(int slot) const = 0;
	// The players' own devices drive the scene: false while a recording
	// plays, so that nothing reaches real hands (a pad's rumble).
	virtual bool DevicesLive() const = 0;
	// The modifiers (GLUT_ACTIVE_*) held with the key being handled, as it
	// was recorded.
	virtual int KeyModifiers() const = 0;
	// The scene's step draws its picture. False where nothing is shown (a
	// recording checked, a game caught up with): then the step makes no
	// OpenGL call and loads no texture, and its world comes out the same.
	// Its text lines are still told of.
	virtual bool Draws() const { return true; }
	// A text line was drawn; nobody hears it by default.
	virtual void TextDrawn(int x, int y, const char* text) const
	{
		(void)x;
		(void)y;
		(void)text;
	}

	// No window, every slot local, live devices, no modifiers.
	static const SceneContext& Standalone();
};
