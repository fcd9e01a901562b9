#pragma once

#include <string>

class InputStream;

// The input devices a program of scenes drives beside the window: the
// game's pads and keyboard play. The framework starts, resets and stops
// them; what they are is the program's to say.
class InputDevices
{
public:
	virtual ~InputDevices() = default;
	// Opens the devices; keyboard play on or off. The devices offer what
	// they read to stream, and take a replay's readings from it, until Stop.
	virtual void Start(bool keyboardPlay, InputStream& stream) = 0;
	// Lets go of everything held (buttons, sticks, keys): a scene switch
	// carries nothing over.
	virtual void ReleaseAll() = 0;
	virtual void Stop() = 0;
	// Online, both players use the first player's keys: the key that does
	// for the second player what key does for the first.
	virtual unsigned char SecondPlayerKey(unsigned char key) const { return key; }
	// Keyboard play on or off, as an online game starts it on both machines.
	virtual void SetKeyboardPlay(bool on) { (void)on; }
	virtual bool KeyboardPlay() const { return false; }
	// Under keyboard play, the pad slot whose fighter key plays; -1 for a
	// key that plays no fighter.
	virtual int FighterPadOf(unsigned char key) const
	{
		(void)key;
		return -1;
	}
	// A key of the scene's own that either player may use, with keyboard
	// play on or off: the game's wave, pause and keyboard play keys.
	virtual bool IsSharedKey(unsigned char key, bool keyboardPlay) const
	{
		(void)key;
		(void)keyboardPlay;
		return false;
	}
	// The fighter of pad slot pad lets go of every key and button it holds,
	// through the input stream, as a player's own releases would: for a
	// player who has gone. What is held on the other slot stays held.
	virtual void LetGoOf(int pad) { (void)pad; }
	// What the player on pad slot pad plays, for the screen: "the knight".
	virtual std::string FighterOn(int pad) const { return "pad " + std::to_string(pad) + "'s fighter"; }
};

// What every run of the scenes starts with and ends with, whether the
// program, the replay bot, the benchmark or the test harness runs them: the
// devices started, then the audio device opened; at the end closed in the
// opposite order.
class ProgramStart
{
public:
	enum class Audio
	{
		On,
		// Not even tried: the scenes run silent, and nothing says so.
		Off,
	};

	// The devices read through stream, which must outlive this. Without an
	// audio device the scenes run silent, and program says so on stderr
	// under its name.
	ProgramStart(InputDevices& devices, InputStream& stream, bool keyboardPlay, const char* program,
		Audio audio);
	~ProgramStart();
	ProgramStart(const ProgramStart&) = delete;
	ProgramStart& operator=(const ProgramStart&) = delete;

	bool AudioOpen() const { return audioOpen; }

private:
	InputDevices& devices;
	bool audioOpen = false;
};
