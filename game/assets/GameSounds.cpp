#include "game/assets/GameSounds.h"

#include "framework/core/DataFolder.h"
#include "game/assets/LoadFailure.h"

namespace
{
const char* const EffectNames[GameSounds::EffectCount] = {
	"enemyhit", "fireball", "ghostfix", "enemydeath", "bounce", "p1", "p2", "mace", "arrow", "laugh"};

// The mixer may be closed (no audio device): then no music loads.
Mix_Music* LoadMusic(const char* name)
{
	if (!SoundBank::MixerOpen())
	{
		return nullptr;
	}
	const std::string path = DataFolder::Program().PathOf(name);
	Mix_Music* music = Mix_LoadMUS(path.c_str());
	if (music == nullptr)
	{
		ReportLoadFailure(path, Mix_GetError());
	}
	return music;
}

void HaltMusic()
{
	if (SoundBank::MixerOpen() && Mix_PlayingMusic())
	{
		Mix_HaltMusic();
	}
}

void LoopMusic(Mix_Music* music)
{
	if (SoundBank::MixerOpen() && music != nullptr)
	{
		Mix_PlayMusic(music, -1);
	}
}

void FreeMusic(Mix_Music* music)
{
	if (music != nullptr)
	{
		Mix_FreeMusic(music);
	}
}
} // namespace

GameSounds::GameSounds()
	: mainMusic(LoadMusic("music.mp3")), winMusic(LoadMusic("winmusic.mp3"))
{
	for (int effect = 0; effect < EffectCount; ++effect)
	{
		indices[effect] = bank.LoadSound(EffectNames[effect]);
	}
}

GameSounds::~GameSounds()
{
	HaltMusic();
	FreeMusic(mainMusic);
	FreeMusic(winMusic);
}

void GameSounds::Play(Effect effect)
{
	bank.PlaySound(indices[effect]);
}

void GameSounds::PlayMainMusic()
{
	LoopMusic(mainMusic);
}

void GameSounds::PlayWinMusic()
{
	HaltMusic();
	LoopMusic(winMusic);
}

void GameSounds::PlayDefeatLaugh()
{
	HaltMusic();
	Mix_Chunk* laugh = Chunk(Laugh);
	if (laugh != nullptr && SoundBank::MixerOpen())
	{
		Mix_PlayChannelTimed(LaughChannel, laugh, 0, -1);
	}
}

Mix_Chunk* GameSounds::Chunk(Effect effect) const
{
	return bank.GetChunk(indices[effect]);
}
