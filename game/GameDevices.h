#pragma once

#include "framework/input/ProgramStart.h"

// The game's pads and keyboard play, as the framework starts, resets and
// stops them.
class GameDevices : public InputDevices
{
public:
	// Keyboard play as given, then SDL's pads (plugged in now or later),
	// both reading through stream.
	void Start(bool keyboardPlay, InputStream& stream) override;
	// Keyboard play lets go of its keys, then every pad reading and queued
	// event is forgotten.
	void ReleaseAll() override;
	void Stop() override;
	// With keyboard play on, a knight's key becomes the archer's.
	unsigned char SecondPlayerKey(unsigned char key) const override;
	void SetKeyboardPlay(bool on) override;
	bool KeyboardPlay() const override;
	// The binding's pad; Enter, which pauses for either player, plays no
	// fighter.
	int FighterPadOf(unsigned char key) const override;
	// Tab and the wave keys 1-9 always; Enter with keyboard play on; with
	// it off the wave keys e and h, no-harm l and pause m.
	bool IsSharedKey(unsigned char key, bool keyboardPlay) const override;
	void LetGoOf(int pad) override;
	std::string FighterOn(int pad) const override;
};

extern GameDevices gameDevices;
