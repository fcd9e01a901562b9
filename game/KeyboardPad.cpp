#include "game/KeyboardPad.h"

#include <SDL/SDL.h>

#include <cctype>

KeyboardPad keyboardPad;

namespace
{
constexpr int KnightPad = 0;
constexpr int ArcherPad = 1;
constexpr int StickAxisX = 0;
constexpr int StickAxisY = 1;
constexpr int AttackButton = 0;
constexpr int JumpButton = 1;
constexpr int GuardButton = 2;

unsigned char Lower(unsigned char key)
{
	return static_cast<unsigned char>(std::tolower(key));
}
} // namespace

const KeyboardPad::Binding KeyboardPad::bindings[] = {
	{'w', KnightPad, Binding::StickUp, 0, "up"},
	{'a', KnightPad, Binding::StickLeft, 0, "left"},
	{'s', KnightPad, Binding::StickDown, 0, "down"},
	{'d', KnightPad, Binding::StickRight, 0, "right"},
	{'f', KnightPad, Binding::Button, AttackButton, "swing"},
	{'e', KnightPad, Binding::Button, JumpButton, "jump"},
	{'q', KnightPad, Binding::Button, GuardButton, "shield"},
	{'i', ArcherPad, Binding::StickUp, 0, "up"},
	{'j', ArcherPad, Binding::StickLeft, 0, "left"},
	{'k', ArcherPad, Binding::StickDown, 0, "down"},
	{'l', ArcherPad, Binding::StickRight, 0, "right"},
	{'h', ArcherPad, Binding::Button, AttackButton, "shoot"},
	{'u', ArcherPad, Binding::Button, JumpButton, "jump"},
	{'o', ArcherPad, Binding::Button, GuardButton, "sprint"},
};

const int KeyboardPad::bindingCount = sizeof(bindings) / sizeof(bindings[0]);

const KeyboardPad::Binding* KeyboardPad::FindBinding(unsigned char key)
{
	const unsigned char lower = Lower(key);
	for (const Binding& binding : bindings)
	{
		if (binding.key == lower)
		{
			return &binding;
		}
	}
	return nullptr;
}

void KeyboardPad::SetEnabled(bool on)
{
	if (!on)
	{
		ReleaseAll();
	}
	enabled = on;
}

bool KeyboardPad::KeyDown(unsigned char key)
{
	const Binding* binding = FindBinding(key);
	if (!enabled || binding == nullptr)
	{
		return false;
	}
	if (!heldKeys.insert(binding->key).second)
	{
		return true;
	}
	if (binding->kind == Binding::Button)
	{
		PushButton(binding->pad, binding->button, true);
	}
	else
	{
		PushStick(binding->pad);
	}
	return true;
}

bool KeyboardPad::KeyUp(unsigned char key)
{
	const Binding* binding = FindBinding(key);
	if (!enabled || binding == nullptr)
	{
		return false;
	}
	if (heldKeys.erase(binding->key) == 0)
	{
		return true;
	}
	if (binding->kind == Binding::Button)
	{
		PushButton(binding->pad, binding->button, false);
	}
	else
	{
		PushStick(binding->pad);
	}
	return true;
}

void KeyboardPad::ReleaseAll()
{
	const std::set<unsigned char> released = heldKeys;
	heldKeys.clear();
	bool stickMoved[2] = {false, false};
	for (unsigned char key : released)
	{
		const Binding* binding = FindBinding(key);
		if (binding->kind == Binding::Button)
		{
			PushButton(binding->pad, binding->button, false);
		}
		else
		{
			stickMoved[binding->pad] = true;
		}
	}
	for (int pad = 0; pad < 2; ++pad)
	{
		if (stickMoved[pad])
		{
			PushStick(pad);
		}
	}
}

bool KeyboardPad::Held(int pad, Binding::Kind kind) const
{
	for (unsigned char key : heldKeys)
	{
		const Binding* binding = FindBinding(key);
		if (binding->pad == pad && binding->kind == kind)
		{
			return true;
		}
	}
	return false;
}

void KeyboardPad::PushStick(int pad)
{
	// Opposite keys held together cancel, as a centred stick.
	const int x = (Held(pad, Binding::StickRight) ? FullDeflection : 0) - (Held(pad, Binding::StickLeft) ? FullDeflection : 0);
	const int y = (Held(pad, Binding::StickDown) ? FullDeflection : 0) - (Held(pad, Binding::StickUp) ? FullDeflection : 0);
	const int values[] = {x, y};
	const int axes[] = {StickAxisX, StickAxisY};
	for (int i = 0; i < 2; ++i)
	{
		SDL_Event event{};
		event.type = SDL_JOYAXISMOTION;
		event.jaxis.which = static_cast<Uint8>(pad);
		event.jaxis.axis = static_cast<Uint8>(axes[i]);
		event.jaxis.value = static_cast<Sint16>(values[i]);
		SDL_PushEvent(&event);
	}
}

void KeyboardPad::PushButton(int pad, int button, bool down)
{
	SDL_Event event{};
	event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
	event.jbutton.which = static_cast<Uint8>(pad);
	event.jbutton.button = static_cast<Uint8>(button);
	event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
	SDL_PushEvent(&event);
}
