#pragma once

#include <SDL2/SDL_mixer.h>

#include "game/assets/SoundBank.h"

// The game's music and sound effects, loaded together when the game scene
// is built and freed together with it. Without an audio device nothing
// loads, and every play is silent; a file that does not load only silences
// its own sound.
class GameSounds
{
public:
	// The effects, in the order they load from "Sounds/<name>.wav".
	enum Effect
	{
		EnemyHit,
		Fireball,
		GhostFix,
		EnemyDeath,
		Bounce,
		P1,
		P2,
		Mace,
		Arrow,
		Laugh,
		EffectCount,
	};
	// The mixer channel of the defeat laugh.
	static constexpr int LaughChannel = 1;

	// Loads "music.mp3", then "winmusic.mp3", then every effect; plays
	// nothing yet.
	GameSounds();
	// Halts the music, then frees both pieces of music and every effect.
	~GameSounds();
	GameSounds(const GameSounds&) = delete;
	GameSounds& operator=(const GameSounds&) = delete;

	// Starts the effect on the first free channel.
	void Play(Effect effect);
	// Loops the main music.
	void PlayMainMusic();
	// Halts whatever music plays and loops the win music.
	void PlayWinMusic();
	// Halts the music and plays the laugh once on LaughChannel.
	void PlayDefeatLaugh();

	// Null for what did not load.
	Mix_Music* MainMusic() const { return mainMusic; }
	Mix_Music* WinMusic() const { return winMusic; }
	Mix_Chunk* Chunk(Effect effect) const;

private:
	SoundBank bank;
	// Each effect's index in bank, -1 when it did not load.
	int indices[EffectCount];
	Mix_Music* mainMusic = nullptr;
	Mix_Music* winMusic = nullptr;
};
