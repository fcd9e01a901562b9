#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "game/assets/SoundBank.h"
#include "tests/support/AssetDir.h"

namespace
{
const std::vector<std::string> GameEffects = {
	"enemyhit", "fireball", "ghostfix", "enemydeath", "bounce", "p1", "p2", "mace", "arrow", "laugh"};

// The mixer on SDL's silent driver, as on a machine without a sound card.
class SoundBankTest : public testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		setenv("SDL_AUDIODRIVER", "dummy", 0);
		ASSERT_EQ(0, SDL_Init(SDL_INIT_AUDIO)) << SDL_GetError();
		ASSERT_EQ(0, Mix_OpenAudio(22050, AUDIO_S16SYS, 2, 1024)) << Mix_GetError();
	}

	static void TearDownTestSuite()
	{
		Mix_CloseAudio();
		SDL_Quit();
	}

	void SetUp() override
	{
		soundBank.FreeSounds();
		EnterAssetDir();
	}

	void TearDown() override
	{
		Mix_HaltChannel(-1);
		soundBank.FreeSounds();
		EnterAssetDir();
		if (!scratch.empty())
		{
			std::system(("rm -rf " + scratch).c_str());
		}
	}

	// A working directory whose Sounds folder holds copies of the given
	// generated effects.
	void EnterScratchWith(const std::vector<std::string>& effects)
	{
		char pattern[] = "/tmp/sound-test-XXXXXX";
		scratch = mkdtemp(pattern);
		std::string command = "mkdir -p " + scratch + "/Sounds";
		for (const std::string& name : effects)
		{
			command += " && cp Sounds/" + name + ".wav " + scratch + "/Sounds/";
		}
		ASSERT_EQ(0, std::system(command.c_str()));
		ASSERT_EQ(0, chdir(scratch.c_str()));
	}

	SoundBank soundBank;
	std::string scratch;
};
} // namespace

TEST_F(SoundBankTest, TheGameEffectsLoadInOrderAndPlay)
{
	for (size_t i = 0; i < GameEffects.size(); ++i)
	{
		EXPECT_EQ(static_cast<int>(i), soundBank.LoadSound(GameEffects[i])) << GameEffects[i];
	}
	EXPECT_EQ(10, soundBank.Count());
	for (int i = 0; i < soundBank.Count(); ++i)
	{
		const Mix_Chunk* chunk = soundBank.GetChunk(i);
		ASSERT_NE(nullptr, chunk);
		EXPECT_GT(chunk->alen, 0u) << GameEffects[i];
	}
	EXPECT_GE(soundBank.PlaySound(0), 0) << "a loaded effect gets a channel";
	EXPECT_GE(soundBank.PlaySound(0), 0) << "overlapping plays use further channels";
	EXPECT_EQ(2, Mix_Playing(-1));

	// Loading a name again changes nothing.
	EXPECT_EQ(-1, soundBank.LoadSound("p1"));
	EXPECT_EQ(10, soundBank.Count());
}

TEST_F(SoundBankTest, AMissingFileTakesNoIndexAndTheRestMoveDown)
{
	std::vector<std::string> present = GameEffects;
	present.erase(present.begin() + 2);
	EnterScratchWith(present);
	std::ofstream("Sounds/bounce.wav") << "RIFF but not really a wave file";

	std::vector<int> indices;
	for (const std::string& name : GameEffects)
	{
		indices.push_back(soundBank.LoadSound(name));
	}
	EXPECT_EQ((std::vector<int>{0, 1, -1, 2, -1, 3, 4, 5, 6, 7}), indices);
	EXPECT_EQ(8, soundBank.Count());
	EXPECT_EQ(nullptr, soundBank.GetChunk(-1));
	EXPECT_EQ(nullptr, soundBank.GetChunk(8));
}

TEST_F(SoundBankTest, IndicesOutsideTheBankPlayNothing)
{
	EXPECT_EQ(-1, soundBank.PlaySound(-1)) << "the index a missing file leaves behind";
	EXPECT_EQ(-1, soundBank.PlaySound(0)) << "an empty bank";
	ASSERT_EQ(0, soundBank.LoadSound("arrow"));
	EXPECT_EQ(-1, soundBank.PlaySound(1));
	EXPECT_EQ(-1, soundBank.PlaySound(1 << 30));
	EXPECT_EQ(0, Mix_Playing(-1));
}

TEST_F(SoundBankTest, FreeingEmptiesTheBankAndIndicesStartAgain)
{
	ASSERT_EQ(0, soundBank.LoadSound("mace"));
	ASSERT_EQ(1, soundBank.LoadSound("laugh"));
	soundBank.PlaySound(1);
	Mix_HaltChannel(-1);
	soundBank.FreeSounds();
	EXPECT_EQ(0, soundBank.Count());
	EXPECT_EQ(-1, soundBank.PlaySound(0));
	EXPECT_EQ(0, soundBank.LoadSound("laugh")) << "a freed name can be loaded again";
	EXPECT_EQ(1, soundBank.LoadSound("mace"));
}

TEST_F(SoundBankTest, TheMusicLoopsDecodeAndPlay)
{
	for (const char* file : {"music.mp3", "winmusic.mp3"})
	{
		Mix_Music* music = Mix_LoadMUS(file);
		ASSERT_NE(nullptr, music) << file << ": " << Mix_GetError();
		EXPECT_EQ(0, Mix_PlayMusic(music, -1)) << file;
		EXPECT_EQ(1, Mix_PlayingMusic());
		Mix_HaltMusic();
		Mix_FreeMusic(music);
	}
}
