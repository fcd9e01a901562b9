#include "game/GameDevices.h"

#include "game/Input.h"
#include "game/KeyboardPad.h"

GameDevices gameDevices;

void GameDevices::Start(bool keyboardPlay)
{
	keyboardPad.SetEnabled(keyboardPlay);
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
