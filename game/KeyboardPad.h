#pragma once

#include <set>
#include <string>

#include "game/KeyboardWindow.h"

// Keyboard play: turns letter keys (and Enter) into the events two game pads
// would produce, queued once per frame right before the game reads the
// pads, so the game reads them exactly as it reads real pads (a held
// direction key is the stick pushed all the way). The left hand plays the knight (pad 0), the right hand
// the archer (pad 1).
class Input;
class InputStream;

class KeyboardPad
{
public:
	// Sends its events to pads.
	explicit KeyboardPad(Input& pads) : pads(pads) {}
	// The stream its releases are offered to and a replay's focus losses
	// come from; it must be given before the first Poll or LetGoOf and
	// outlive them.
	void UseStream(InputStream& stream) { this->stream = &stream; }

	struct Binding
	{
		unsigned char key;
		int pad;
		enum Kind
		{
			StickLeft,
			StickRight,
			StickUp,
			StickDown,
			Button,
		} kind;
		// Pad button for Button bindings.
		int button;
		// What the key does, for the help text.
		const char* action;
	};

	// Every play key; letters match in either case.
	static const Binding* FindBinding(unsigned char key);
	static const Binding bindings[];
	static const int bindingCount;
	// The archer's key that does what a knight's key does; any other key
	// as it is.
	static unsigned char ArcherKeyFor(unsigned char key);
	// How the help text names a binding's key: "W", "Enter".
	static std::string KeyName(const Binding& binding);

	bool IsEnabled() const { return enabled; }
	// Switching off releases every key still held.
	void SetEnabled(bool on);

	// A play key went down or up: true when it was one (and so is used up
	// here). Repeats of a held key add nothing. control says freeglut
	// reported Ctrl held, under which a letter arrives as its control code
	// (Ctrl-D as 4); a release then still finds its key.
	bool KeyDown(unsigned char key);
	bool KeyUp(unsigned char key, bool control = false);

	// Once per game frame, right before the pads are read: keeps the
	// window's auto-repeat off while keyboard play is on, releases every key
	// when the window has lost the keyboard focus, and pushes what changed
	// since the last frame. A key pressed and released in between still
	// reads as held for one frame: a quick tap is never lost.
	void Poll();
	// Releases everything keyboard play holds: every key (buttons up, sticks
	// centred, queued for the next frame that reads the pads) and
	// the window's auto-repeat. For when the game scene stops running
	// (deleted, restarted, switched away from) or keyboard play goes off.
	void ReleaseAll();
	// Releases every key held that plays pad's fighter, each as a key
	// release offered to the input stream, as the player's own would be.
	void LetGoOf(int pad);

private:
	using KeySet = std::set<unsigned char>;

	void ReleaseKeys();
	// Pushes the events that take the pads from what shownKeys held to what
	// keys hold.
	void Show(const KeySet& keys);
	void PushStick(int pad, const KeySet& keys);
	// The window lost the keyboard focus since the last frame (or, in a
	// replay, the recording says it did then).
	bool FocusLost();

	Input& pads;
	InputStream* stream = nullptr;
	bool enabled = false;
	// Bindings whose keys are down, by their lower-case key.
	KeySet heldKeys;
	// Keys that went down since the last Poll, released or not.
	KeySet pressedKeys;
	// What the pads were last told is held.
	KeySet shownKeys;
	KeyboardWindow window;
};

extern KeyboardPad keyboardPad;
