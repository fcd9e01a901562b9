#include "game/KeyboardPad.h"

#include <cctype>

#include "framework/input/InputStream.h"
#include "game/Input.h"

KeyboardPad keyboardPad(input);

namespace
{
constexpr int KnightPad = 0;
constexpr int ArcherPad = 1;
constexpr int StickAxisX = 0;
constexpr int StickAxisY = 1;
constexpr int AttackButton = 0;
constexpr int JumpButton = 1;
constexpr int GuardButton = 2;
constexpr unsigned char EnterKey = '\r';
// Ctrl-A to Ctrl-Z.
constexpr unsigned char FirstControlCode = 1;
constexpr unsigned char LastControlCode = 26;

unsigned char Lower(unsigned char key)
{
	return static_cast<unsigned char>(std::tolower(key));
}

bool Held(const std::set<unsigned char>& keys, int pad, KeyboardPad::Binding::Kind kind)
{
	for (unsigned char key : keys)
	{
		const KeyboardPad::Binding* binding = KeyboardPad::FindBinding(key);
		if (binding->pad == pad && binding->kind == kind)
		{
			return true;
		}
	}
	return false;
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
	{EnterKey, KnightPad, Binding::Button, PauseButton, "pause"},
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

unsigned char KeyboardPad::ArcherKeyFor(unsigned char key)
{
	const Binding* knight = FindBinding(key);
	if (knight == nullptr || knight->pad != KnightPad)
	{
		return key;
	}
	for (const Binding& binding : bindings)
	{
		if (binding.pad == ArcherPad && binding.kind == knight->kind && binding.button == knight->button)
		{
			return binding.key;
		}
	}
	// Enter pauses for either player.
	return key;
}

std::string KeyboardPad::KeyName(const Binding& binding)
{
	if (binding.key == EnterKey)
	{
		return "Enter";
	}
	return std::string(1, static_cast<char>(std::toupper(binding.key)));
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
	if (heldKeys.insert(binding->key).second)
	{
		pressedKeys.insert(binding->key);
	}
	return true;
}

bool KeyboardPad::KeyUp(unsigned char key, bool control)
{
	// Only under Ctrl is a control code a letter: Tab, Backspace and Enter
	// share their codes with Ctrl-I, Ctrl-H and Ctrl-M.
	if (control && key >= FirstControlCode && key <= LastControlCode)
	{
		const unsigned char letter = static_cast<unsigned char>('a' + key - FirstControlCode);
		if (enabled && heldKeys.count(letter) != 0)
		{
			key = letter;
		}
	}
	const Binding* binding = FindBinding(key);
	if (!enabled || binding == nullptr)
	{
		return false;
	}
	heldKeys.erase(binding->key);
	return true;
}

void KeyboardPad::Poll()
{
	window.IgnoreRepeat(enabled);
	if (enabled && FocusLost())
	{
		ReleaseKeys();
	}
	KeySet shown = heldKeys;
	shown.insert(pressedKeys.begin(), pressedKeys.end());
	pressedKeys.clear();
	Show(shown);
}

bool KeyboardPad::FocusLost()
{
	if (stream->TakesLiveInputs() && window.FocusLost())
	{
		if (stream->IsLive())
		{
			InputLine line;
			line.kind = InputLine::Release;
			return stream->Offer(line);
		}
		// Online, a machine lets go of its own fighter's keys only: the
		// partner's fighter is the partner's to release. The releases act
		// when they reach both machines.
		for (int pad = 0; pad < PadSlots; ++pad)
		{
			if (stream->LocalPadFor(pad) == 0)
			{
				LetGoOf(pad);
			}
		}
	}
	return !stream->IsLive() && stream->Next(InputChannel::Release) != nullptr;
}

void KeyboardPad::ReleaseAll()
{
	ReleaseKeys();
	window.IgnoreRepeat(false);
}

void KeyboardPad::LetGoOf(int pad)
{
	const KeySet held = heldKeys;
	for (unsigned char key : held)
	{
		if (FindBinding(key)->pad != pad)
		{
			continue;
		}
		InputLine release;
		release.kind = InputLine::KeyUp;
		release.code = key;
		if (stream->Offer(release))
		{
			KeyUp(key);
		}
	}
}

void KeyboardPad::ReleaseKeys()
{
	heldKeys.clear();
	pressedKeys.clear();
	Show(KeySet());
}

void KeyboardPad::Show(const KeySet& keys)
{
	bool stickMoved[2] = {false, false};
	for (const Binding& binding : bindings)
	{
		const bool was = shownKeys.count(binding.key) != 0;
		const bool now = keys.count(binding.key) != 0;
		if (was == now)
		{
			continue;
		}
		if (binding.kind == Binding::Button)
		{
			pads.Queue(PadEvent::Button(binding.pad, binding.button, now));
		}
		else
		{
			stickMoved[binding.pad] = true;
		}
	}
	for (int pad = 0; pad < 2; ++pad)
	{
		if (stickMoved[pad])
		{
			PushStick(pad, keys);
		}
	}
	shownKeys = keys;
}

void KeyboardPad::PushStick(int pad, const KeySet& keys)
{
	// Opposite keys held together cancel, as a centred stick.
	const int x = (Held(keys, pad, Binding::StickRight) ? PadFullDeflection : 0) -
		(Held(keys, pad, Binding::StickLeft) ? PadFullDeflection : 0);
	const int y = (Held(keys, pad, Binding::StickDown) ? PadFullDeflection : 0) -
		(Held(keys, pad, Binding::StickUp) ? PadFullDeflection : 0);
	const int values[] = {x, y};
	const int axes[] = {StickAxisX, StickAxisY};
	for (int i = 0; i < 2; ++i)
	{
		pads.Queue(PadEvent::Axis(pad, axes[i], values[i]));
	}
}

