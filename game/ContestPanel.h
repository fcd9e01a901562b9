#pragma once

#include <string>
#include <vector>

#include "framework/core/PanelItem.h"

class Contest;
class SceneContext;

// The contest's side of the control panel: the items it shows (the wave,
// the fighters' harm, the switches, what plays each pad slot, the volumes)
// and the changes to the items kept by the game's devices and mixer rather
// than by the contest itself.
namespace ContestPanel
{
// Every item of contest as it stands, in the panel's order.
std::vector<PanelItem> ItemsOf(const Contest& contest, const SceneContext& context);
// Applies a change of keyboard play, the rumble or a volume item; false
// when key names none of them.
bool SetDeviceItem(const std::string& key, float value);
} // namespace ContestPanel
