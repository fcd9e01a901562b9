#pragma once

#include <cstdint>

// Game-wide values shared between the scene and the combatants.

// Zombies defeated since the wave was spawned.
extern uint32_t KillCount;
// While set, the fighters take no harm.
extern bool GodMode;
