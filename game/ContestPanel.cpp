#include "game/ContestPanel.h"

#include <utility>

#include "framework/core/SceneContext.h"
#include "game/GameGlobals.h"
#include "game/GamePads.h"
#include "game/KeyboardPad.h"
#include "game/assets/MixerVolume.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"

namespace
{
PanelItem Item(PanelItem::Kind kind, const char* key, const char* label, float value, float max = 1.0f,
	std::string text = "")
{
	PanelItem item;
	item.kind = kind;
	item.key = key;
	item.label = label;
	item.value = value;
	item.max = max;
	item.text = std::move(text);
	return item;
}

constexpr float Percent = 100.0f;

std::string HarmText(float hurt, bool down)
{
	return down ? "down" : std::to_string(static_cast<int>(Percent * hurt)) + "%";
}

PanelItem HarmBar(const char* label, float hurt, bool down)
{
	return Item(PanelItem::Bar, label, label, hurt, 1.0f, HarmText(hurt, down));
}

// An item only this machine has: its rumble, what it shows and sounds.
PanelItem Local(PanelItem item)
{
	item.local = true;
	return item;
}

// What plays a pad slot's fighter: the other machine's player online, else
// the pad plugged in, else keyboard play's keys, else nothing.
PanelItem SlotItem(const SceneContext& context, int slot, const char* fighter)
{
	const int local = context.LocalPadFor(slot);
	const std::string name = local >= 0 ? gamePads.SlotName(local) : "";
	const std::string key = "pad" + std::to_string(slot);
	const std::string label = "Pad " + std::to_string(slot) + " (" + fighter + ")";
	return Item(PanelItem::Value, key.c_str(), label.c_str(), 0.0f, 1.0f,
		local < 0 ? "the online partner"
			: !name.empty() ? name
			: keyboardPad.IsEnabled() ? "keyboard"
									  : "none");
}
} // namespace

std::vector<PanelItem> ContestPanel::ItemsOf(const Facts& contest, const SceneContext& context)
{
	const float maxVolume = static_cast<float>(MixerVolume::MaxVolume);
	const bool started = contest.started;
	const bool swapPads = contest.swapPads;
	const Knight& knight = *contest.knight;
	const Archer& archer = *contest.archer;
	const std::string wave = started ? std::to_string(contest.waveSize) : "not started";
	return {
		Item(PanelItem::Value, "wave", "Wave size", 0.0f, 1.0f, wave),
		Item(PanelItem::Value, "defeated", "Zombies defeated", 0.0f, 1.0f, std::to_string(started ? KillCount : 0)),
		HarmBar("Knight harm", knight.hurt, knight.Has(DyingFlag)),
		HarmBar("Archer harm", archer.hurt, archer.Has(DyingFlag)),
		Item(PanelItem::Switch, "noHarm", "No-harm mode", GodMode ? 1.0f : 0.0f),
		SlotItem(context, 0, swapPads ? "archer" : "knight"),
		SlotItem(context, 1, swapPads ? "knight" : "archer"),
		Item(PanelItem::Switch, "swapPads", "Swap pads", swapPads ? 1.0f : 0.0f),
		Item(PanelItem::Switch, "keyboardPlay", "Keyboard play", keyboardPad.IsEnabled() ? 1.0f : 0.0f),
		Local(Item(PanelItem::Switch, "rumble", "Rumble", gamePads.RumbleOn() ? 1.0f : 0.0f)),
		Local(Item(PanelItem::Switch, "physicsOverlay", "Physics overlay", contest.physicsOverlay ? 1.0f : 0.0f)),
		Local(Item(PanelItem::Switch, "gameLine", "Game line", contest.gameLine ? 1.0f : 0.0f)),
		Local(Item(PanelItem::Slider, "musicVolume", "Music", static_cast<float>(mixerVolume.Music()), maxVolume)),
		Local(Item(PanelItem::Switch, "musicMute", "Mute music", mixerVolume.MusicMuted() ? 1.0f : 0.0f)),
		Local(Item(PanelItem::Slider, "effectsVolume", "Effects", static_cast<float>(mixerVolume.Effects()), maxVolume)),
		Local(Item(PanelItem::Switch, "effectsMute", "Mute effects", mixerVolume.EffectsMuted() ? 1.0f : 0.0f)),
	};
}

std::string ContestPanel::GameLine(const Facts& contest)
{
	const Knight& knight = *contest.knight;
	const Archer& archer = *contest.archer;
	const uint32_t left = KillCount < contest.waveSize ? contest.waveSize - KillCount : 0;
	const auto harm = [](float hurt, bool down) { return down ? std::string("down") : HarmText(hurt, false) + " harm"; };
	return "Zombies left: " + std::to_string(left) + " of " + std::to_string(contest.waveSize) +
		"   Knight: " + harm(knight.hurt, knight.Has(DyingFlag)) + "   Archer: " + harm(archer.hurt, archer.Has(DyingFlag));
}

bool ContestPanel::SetDeviceItem(const std::string& key, float value)
{
	const bool on = value != 0.0f;
	if (key == "keyboardPlay")
	{
		keyboardPad.SetEnabled(on);
	}
	else if (key == "rumble")
	{
		gamePads.SetRumble(on);
	}
	else if (key == "musicVolume")
	{
		mixerVolume.SetMusic(static_cast<int>(value));
	}
	else if (key == "musicMute")
	{
		mixerVolume.MuteMusic(on);
	}
	else if (key == "effectsVolume")
	{
		mixerVolume.SetEffects(static_cast<int>(value));
	}
	else if (key == "effectsMute")
	{
		mixerVolume.MuteEffects(on);
	}
	else
	{
		return false;
	}
	return true;
}
