#include "framework/input/ProgramStart.h"

#include <SDL2/SDL_mixer.h>

#include <cstdio>

namespace
{
constexpr int AudioFrequency = 22050;
constexpr int AudioChannels = 2;
constexpr int AudioChunkSize = 4096;
} // namespace

ProgramStart::ProgramStart(InputDevices& started, InputStream& stream, bool keyboardPlay, const char* program,
	Audio audio)
	: devices(started)
{
	devices.Start(keyboardPlay, stream);
	if (audio == Audio::Off)
	{
		return;
	}
	audioOpen = Mix_OpenAudio(AudioFrequency, AUDIO_S16LSB, AudioChannels, AudioChunkSize) != -1;
	if (!audioOpen)
	{
		std::fprintf(stderr, "%s: no audio device (%s); running without sound\n", program, Mix_GetError());
	}
}

ProgramStart::~ProgramStart()
{
	if (audioOpen)
	{
		Mix_CloseAudio();
	}
	devices.Stop();
}
