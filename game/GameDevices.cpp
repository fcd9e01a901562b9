#include "game/GameDevices.h"

#include <cstring>

#include "game/Input.h"
#include "game/KeyboardPad.h"

GameDevices gameDevices;

namespace
{
constexpr unsigned char TabKey = '\t';
// With keyboard play off: one zombie, a thousand, no-harm mode, pause.
constexpr const char* SharedLetters = "ehlm";
} // namespace

void GameDevices::Start(bool keyboardPlay, InputStream& stream)
{
	keyboardPad.UseStream(stream);
	keyboardPad.SetEnabled(keyboardPlay);
	input.UseStream(stream);
	input.Init();
}

void GameDevices::ReleaseAll()
{
	keyboardPad.ReleaseAll();
	input.Reset();
}

void GameDevices::Stop()
{
	input.Shutdown();
}

unsigned char GameDevices::SecondPlayerKey(unsigned char key) const
{
	return keyboardPad.IsEnabled() ? KeyboardPad::ArcherKeyFor(key) : key;
}

void GameDevices::SetKeyboardPlay(bool on)
{
	keyboardPad.SetEnabled(on);
}

bool GameDevices::KeyboardPlay() const
{
	return keyboardPad.IsEnabled();
}

int GameDevices::FighterPadOf(unsigned char key) const
{
	const KeyboardPad::Binding* binding = KeyboardPad::FindBinding(key);
	return binding == nullptr || binding->button == PauseButton ? -1 : binding->pad;
}

bool GameDevices::IsSharedKey(unsigned char key, bool keyboardPlay) const
{
	if (key == TabKey || (key >= '1' && key <= '9'))
	{
		return true;
	}
	if (keyboardPlay)
	{
		const KeyboardPad::Binding* binding = KeyboardPad::FindBinding(key);
		return binding != nullptr && binding->button == PauseButton;
	}
	return key != 0 && std::strchr(SharedLetters, key) != nullptr;
}

void GameDevices::LetGoOf(int pad)
{
	keyboardPad.LetGoOf(pad);
	input.LetGoOf(pad);
}

std::string GameDevices::FighterOn(int pad) const
{
	return pad == 0 ? "the knight" : "the archer";
}
