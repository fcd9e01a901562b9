#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/PanelItem.h"

class Archer;
class Knight;
class SceneContext;

// The contest's side of the control panel: the items it shows (the wave,
// the fighters' harm, the switches, what plays each pad slot, the volumes)
// and the changes to the items kept by the game's devices and mixer rather
// than by the contest itself.
namespace ContestPanel
{
// What the panel shows of the contest as it stands.
struct Facts
{
	bool started = false;
	bool swapPads = false;
	bool physicsOverlay = false;
	bool gameLine = true;
	uint32_t waveSize = 0;
	const Knight* knight = nullptr;
	const Archer* archer = nullptr;
};

// Every item of the contest, in the panel's order.
std::vector<PanelItem> ItemsOf(const Facts& contest, const SceneContext& context);
// The text row of how the game goes: the zombies left of the wave and each
// fighter's harm, as the panel's bars show it.
std::string GameLine(const Facts& contest);
// Applies a change of keyboard play, the rumble or a volume item; false
// when key names none of them.
bool SetDeviceItem(const std::string& key, float value);
} // namespace ContestPanel
