#pragma once

#include <vector>

class GameSounds;

// Real sound effects for tests: opens the mixer (on SDL's dummy driver
// unless SDL_AUDIODRIVER says otherwise), writes long silent WAV files for
// the game's effects into a temporary folder and loads them as the game's
// sounds, which the running GameWorld (GameWorldInstance) and every
// ObjectWorld made afterwards play. Safe to call repeatedly.
void LoadTestSounds();
// The sounds LoadTestSounds loaded; null before.
GameSounds* TestSounds();

// Halts every channel, so the next plays start from channel 0.
void StopSounds();

// The effects (GameSounds::Effect) playing now, in channel order: since
// an effect takes the first free channel, that is the order they were
// started in after StopSounds.
std::vector<int> PlayingSounds();

// How many channels play the effect now.
int Plays(int effect);
