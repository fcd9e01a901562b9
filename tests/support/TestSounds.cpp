#include "tests/support/TestSounds.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>

#include "game/assets/GameSounds.h"
#include "game/objects/GameWorld.h"

namespace
{
constexpr int SampleRate = 11025;
// Long enough that no effect ends on its own during a test.
constexpr int Seconds = 60;
constexpr int Channels = 512;

void Put32(std::ofstream& out, uint32_t value)
{
	for (int i = 0; i < 4; ++i)
	{
		out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
	}
}

void Put16(std::ofstream& out, uint16_t value)
{
	out.put(static_cast<char>(value & 0xFF));
	out.put(static_cast<char>(value >> 8));
}

// Mono 8-bit PCM silence.
void WriteWav(const std::string& path)
{
	const uint32_t samples = SampleRate * Seconds;
	std::ofstream out(path, std::ios::binary);
	out.write("RIFF", 4);
	Put32(out, 36 + samples);
	out.write("WAVEfmt ", 8);
	Put32(out, 16);
	Put16(out, 1);
	Put16(out, 1);
	Put32(out, SampleRate);
	Put32(out, SampleRate);
	Put16(out, 1);
	Put16(out, 8);
	out.write("data", 4);
	Put32(out, samples);
	const std::string silence(samples, static_cast<char>(0x80));
	out.write(silence.data(), silence.size());
	if (!out)
	{
		throw std::runtime_error("cannot write " + path);
	}
}

const char* const effects[] = {
	"enemyhit", "fireball", "ghostfix", "enemydeath", "bounce", "p1", "p2", "mace", "arrow", "laugh"};

GameSounds* sounds = nullptr;
} // namespace

GameSounds* TestSounds()
{
	return sounds;
}

namespace
{
GameSounds* LoadSounds()
{
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(SampleRate, AUDIO_U8, 1, 1024) != 0)
	{
		throw std::runtime_error(std::string("cannot open audio: ") + SDL_GetError());
	}
	Mix_AllocateChannels(Channels);

	char folder[] = "/tmp/contest-sounds-XXXXXX";
	if (mkdtemp(folder) == nullptr)
	{
		throw std::runtime_error("cannot make a temporary folder");
	}
	const std::string folderSounds = std::string(folder) + "/Sounds";
	mkdir(folderSounds.c_str(), 0755);
	for (const char* effect : effects)
	{
		WriteWav(folderSounds + "/" + effect + ".wav");
	}

	char previous[4096];
	if (getcwd(previous, sizeof previous) == nullptr || chdir(folder) != 0)
	{
		throw std::runtime_error("cannot enter the sound folder");
	}
	// Lives as long as the process: the mixer is never closed under it.
	GameSounds* loaded = new GameSounds();
	for (const char* effect : effects)
	{
		unlink((folderSounds + "/" + effect + ".wav").c_str());
	}
	rmdir(folderSounds.c_str());
	rmdir(folder);
	if (chdir(previous) != 0)
	{
		throw std::runtime_error("cannot go back to the working directory");
	}
	for (int effect = 0; effect < GameSounds::EffectCount; ++effect)
	{
		if (loaded->Chunk(static_cast<GameSounds::Effect>(effect)) == nullptr)
		{
			throw std::runtime_error(std::string("sound did not load: ") + effects[effect]);
		}
	}
	return loaded;
}
} // namespace

void LoadTestSounds()
{
	if (sounds == nullptr)
	{
		sounds = LoadSounds();
	}
	StopSounds();
	if (GameWorldInstance != nullptr)
	{
		GameWorldInstance->sounds = sounds;
	}
}

void StopSounds()
{
	Mix_HaltChannel(-1);
}

std::vector<int> PlayingSounds()
{
	std::vector<int> playing;
	for (int channel = 0; channel < Channels; ++channel)
	{
		if (!Mix_Playing(channel))
		{
			continue;
		}
		const Mix_Chunk* chunk = Mix_GetChunk(channel);
		for (int effect = 0; effect < GameSounds::EffectCount; ++effect)
		{
			if (sounds->Chunk(static_cast<GameSounds::Effect>(effect)) == chunk)
			{
				playing.push_back(effect);
			}
		}
	}
	return playing;
}

int Plays(int effect)
{
	int count = 0;
	for (int playing : PlayingSounds())
	{
		count += playing == effect ? 1 : 0;
	}
	return count;
}
