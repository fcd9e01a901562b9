#include "game/ContestKeys.h"

#include <cstring>

#include "game/KeyboardPad.h"

namespace
{
constexpr uint32_t WaveKeyFactor = 10;
constexpr const char* OperatorLetters = "aklmseh";
constexpr uint32_t SingleWaveSize = 1;
constexpr uint32_t HordeWaveSize = 1000;

// What binding's key does for fighter: its own action, or the action of the
// same place in the other fighter's keys.
std::string ActionOf(const KeyboardPad::Binding& binding, int fighter)
{
	for (int i = 0; i < KeyboardPad::bindingCount; ++i)
	{
		const KeyboardPad::Binding& other = KeyboardPad::bindings[i];
		if (other.pad == fighter && other.kind == binding.kind &&
			(other.kind != KeyboardPad::Binding::Button || other.button == binding.button))
		{
			return other.action;
		}
	}
	// The other fighter has no such key (pause is the knight's own).
	return binding.action;
}
} // namespace

std::optional<uint32_t> ContestKeys::WaveOf(unsigned char key)
{
	if (key >= '1' && key <= '9')
	{
		return WaveKeyFactor * static_cast<uint32_t>(key - '0');
	}
	switch (key)
	{
	case 'e':
		return SingleWaveSize;
	case 'h':
		return HordeWaveSize;
	default:
		return std::nullopt;
	}
}

bool ContestKeys::IsOperatorLetter(unsigned char key)
{
	return key != 0 && std::strchr(OperatorLetters, key) != nullptr;
}

std::vector<std::string> ContestKeys::HelpLines(bool keyboardPlay, bool padsSwapped, bool replayed)
{
	std::vector<std::string> lines = {
		"Start: any pad button for a wave of 80, or a number key 1-9 for a wave of 10 to 90 zombies",
		"Pads: stick or D-pad moves; A/cross swing or shoot, B/circle jump, X/square shield or sprint, Start pause",
		// No spawn tile sees where the fighters stand, so nothing comes to them.
		"The wave waits in the upper caves: climb the slopes to meet it; hold jump to jump higher, the slopes end "
		"in a jump",
	};
	// A replay's keys are its viewer's: Tab does nothing there.
	if (!keyboardPlay)
	{
		if (!replayed)
		{
			lines.push_back("Tab: play both fighters from the keyboard");
		}
		return lines;
	}
	const char* const names[] = {"Knight", "Archer"};
	for (int pad = 0; pad < 2; ++pad)
	{
		// Swapped pads swap whom each set of keys plays, and so what a
		// key does: what the same key of the other set did.
		const int fighter = padsSwapped ? 1 - pad : pad;
		std::string keys = std::string(names[fighter]) + ":";
		for (int i = 0; i < KeyboardPad::bindingCount; ++i)
		{
			const KeyboardPad::Binding& binding = KeyboardPad::bindings[i];
			if (binding.pad == pad)
			{
				keys += " " + KeyboardPad::KeyName(binding) + " " + ActionOf(binding, fighter) + ",";
			}
		}
		keys.pop_back();
		lines.push_back(keys);
	}
	if (!replayed)
	{
		lines.push_back("Tab: keyboard play off (pads only)");
	}
	return lines;
}
