#pragma once

#include <vector>

// Real sound effects for tests: opens the mixer (on SDL's dummy driver
// unless SDL_AUDIODRIVER says otherwise), writes long silent WAV files for
// the game's effects into a temporary folder, loads them into the game's
// sound bank and sets the game's sound indices. Safe to call repeatedly.
void LoadTestSounds();

// Halts every channel, so the next plays start from channel 0.
void StopSounds();

// Bank indices of the effects playing now, in channel order: since the
// bank takes the first free channel, that is the order they were started
// in after StopSounds.
std::vector<int> PlayingSounds();

// How many channels play the effect at index now.
int Plays(int index);
