#pragma once

#include <set>

// Keyboard play: turns letter keys into the joystick events two game pads
// would produce, pushed into SDL's event queue, so the game reads them
// exactly as it reads real pads. The left hand plays the knight (pad 0),
// the right hand the archer (pad 1).
class KeyboardPad
{
public:
	// Stick deflection of a held direction key: the pad's full raw reading.
	static constexpr int FullDeflection = 32767;

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

	bool IsEnabled() const { return enabled; }
	// Switching off releases every key still held.
	void SetEnabled(bool on);

	// A play key went down or up: true when it was one (and so is used up
	// here). Repeats of a held key add nothing.
	bool KeyDown(unsigned char key);
	bool KeyUp(unsigned char key);
	// Releases every held key: buttons up, sticks centred.
	void ReleaseAll();

private:
	void PushStick(int pad);
	void PushButton(int pad, int button, bool down);
	bool Held(int pad, Binding::Kind kind) const;

	bool enabled = false;
	// Bindings whose keys are down, by their lower-case key.
	std::set<unsigned char> heldKeys;
};

extern KeyboardPad keyboardPad;
