#include "game/assets/SoundBank.h"

#include "framework/core/DataFolder.h"
#include "game/assets/LoadFailure.h"

int SoundBank::LoadSound(const std::string& name)
{
	if (indexByName.count(name) != 0)
	{
		return -1;
	}
	const std::string path = DataFolder::Program().PathOf("Sounds/" + name + ".wav");
	SDL_RWops* stream = SDL_RWFromFile(path.c_str(), "rb");
	Mix_Chunk* chunk = stream != nullptr ? Mix_LoadWAV_RW(stream, 1) : nullptr;
	if (chunk == nullptr)
	{
		// Without an audio device nothing loads; the shell has said so.
		if (MixerOpen())
		{
			ReportLoadFailure(path, Mix_GetError());
		}
		return -1;
	}
	const int index = static_cast<int>(chunks.size());
	indexByName[name] = index;
	chunks.push_back(chunk);
	return index;
}

bool SoundBank::MixerOpen()
{
	int frequency = 0;
	Uint16 format = 0;
	int channels = 0;
	return Mix_QuerySpec(&frequency, &format, &channels) != 0;
}

int SoundBank::PlaySound(int index)
{
	Mix_Chunk* chunk = GetChunk(index);
	if (chunk == nullptr)
	{
		return -1;
	}
	return Mix_PlayChannelTimed(-1, chunk, 0, -1);
}

Mix_Chunk* SoundBank::GetChunk(int index) const
{
	if (index < 0 || index >= static_cast<int>(chunks.size()))
	{
		return nullptr;
	}
	return chunks[index];
}

void SoundBank::FreeSounds()
{
	for (Mix_Chunk* chunk : chunks)
	{
		Mix_FreeChunk(chunk);
	}
	chunks.clear();
	indexByName.clear();
}
