#include "tools/FighterPads.h"

#include <cmath>

#include "framework/input/PadEvent.h"
#include "game/KeyboardPad.h"
#include "tools/BotSession.h"

namespace
{
constexpr int StickAxisX = 0;
constexpr int StickAxisY = 1;
constexpr int AttackButton = 0;
constexpr int JumpButton = 1;
constexpr int GuardButton = 2;
// A stick deflected further than this on an axis holds that direction's
// key: the eight directions of a keyboard, split evenly.
constexpr float KeyThreshold = 0.38f;

int16_t AxisValue(float stick)
{
	return static_cast<int16_t>(std::lround(stick * PadFullDeflection));
}

// The key keyboard play binds to this pad's stick direction or button.
unsigned char KeyFor(int pad, KeyboardPad::Binding::Kind kind, int button = 0)
{
	for (int i = 0; i < KeyboardPad::bindingCount; ++i)
	{
		const KeyboardPad::Binding& binding = KeyboardPad::bindings[i];
		if (binding.pad == pad && binding.kind == kind && (kind != KeyboardPad::Binding::Button || binding.button == button))
		{
			return binding.key;
		}
	}
	return 0;
}
} // namespace

void FighterPads::Send(const ArenaBot::Pad (&pads)[2])
{
	for (int pad = 0; pad < 2; ++pad)
	{
		if (keyboard)
		{
			SendKeys(pad, pads[pad], sent[pad]);
		}
		else
		{
			SendPad(pad, pads[pad], sent[pad]);
		}
		sent[pad] = pads[pad];
	}
}

void FighterPads::SendPad(int pad, const ArenaBot::Pad& now, const ArenaBot::Pad& was)
{
	if (AxisValue(now.stickX) != AxisValue(was.stickX))
	{
		session.PadAxis(pad, StickAxisX, AxisValue(now.stickX));
	}
	if (AxisValue(now.stickY) != AxisValue(was.stickY))
	{
		session.PadAxis(pad, StickAxisY, AxisValue(now.stickY));
	}
	const bool buttons[][2] = {{now.attack, was.attack}, {now.jump, was.jump}, {now.guard, was.guard}};
	const int numbers[] = {AttackButton, JumpButton, GuardButton};
	for (int i = 0; i < 3; ++i)
	{
		if (buttons[i][0] != buttons[i][1])
		{
			session.PadButton(pad, numbers[i], buttons[i][0]);
		}
	}
}

void FighterPads::SendKeys(int pad, const ArenaBot::Pad& now, const ArenaBot::Pad& was)
{
	using Kind = KeyboardPad::Binding::Kind;
	Hold(KeyFor(pad, Kind::StickLeft), now.stickX < -KeyThreshold, was.stickX < -KeyThreshold);
	Hold(KeyFor(pad, Kind::StickRight), now.stickX > KeyThreshold, was.stickX > KeyThreshold);
	Hold(KeyFor(pad, Kind::StickUp), now.stickY < -KeyThreshold, was.stickY < -KeyThreshold);
	Hold(KeyFor(pad, Kind::StickDown), now.stickY > KeyThreshold, was.stickY > KeyThreshold);
	Hold(KeyFor(pad, Kind::Button, AttackButton), now.attack, was.attack);
	Hold(KeyFor(pad, Kind::Button, JumpButton), now.jump, was.jump);
	Hold(KeyFor(pad, Kind::Button, GuardButton), now.guard, was.guard);
}

void FighterPads::Hold(unsigned char key, bool now, bool was)
{
	if (now && !was)
	{
		session.Key(key);
	}
	else if (was && !now)
	{
		session.KeyUp(key);
	}
}
