#pragma once

#include <SDL2/SDL_mixer.h>

#include <map>
#include <string>
#include <vector>

// Short sound effects loaded once by name from "Sounds/<name>.wav" of the
// data folder (DataFolder) and played by index on the first free mixer
// channel. Owns its effects: they are freed with it.
class SoundBank
{
public:
	SoundBank() = default;
	~SoundBank() { FreeSounds(); }
	SoundBank(const SoundBank&) = delete;
	SoundBank& operator=(const SoundBank&) = delete;

	// False without an audio device: then nothing loads or plays, and the
	// game runs silent.
	static bool MixerOpen();

	// Index of the newly loaded effect, or -1 when the file does not load or
	// the name is already in the bank. A file that does not load while the
	// mixer is open is reported on standard error.
	int LoadSound(const std::string& name);
	// Starts the effect; the channel used, or -1. An index outside the bank
	// (including the -1 of a missing file) plays nothing.
	int PlaySound(int index);
	// The chunk at index, or null outside the bank.
	Mix_Chunk* GetChunk(int index) const;
	void FreeSounds();
	int Count() const { return static_cast<int>(chunks.size()); }

private:
	std::map<std::string, int> indexByName;
	std::vector<Mix_Chunk*> chunks;
};
