#pragma once

#include <cstdint>

// Game-wide values shared between the scene and the combatants.

// Zombies defeated since the wave was spawned.
extern uint32_t KillCount;
// While set, the fighters take no harm.
extern bool GodMode;

// Sound bank indices of the effects, as loaded by the game scene (-1 when
// an effect did not load).
extern int soundEnemyHit;
extern int soundFireball;
extern int soundGhostFix;
extern int soundEnemyDeath;
extern int soundBounce;
extern int soundP1;
extern int soundP2;
extern int soundMace;
extern int soundArrow;
