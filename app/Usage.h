#pragma once

#include <vector>

#include "framework/shell/SettingsFile.h"

// What --help prints: a printf format taking the program's name and the
// online port.
extern const char* const ContestUsage;

// The game's panel items that a player's settings keep: the volumes and
// their mutes, the rumble, the physics overlay, the pads' swap and keyboard
// play.
extern const std::vector<SettingsFile::Key> ContestKeptItems;
