#include "framework/input/ProgramStart.h"

#include <SDL2/SDL_mixer.h>
#include <dlfcn.h>

#include <cstdio>

namespace
{
constexpr int AudioFrequency = 22050;
constexpr int AudioChannels = 2;
constexpr int AudioChunkSize = 4096;

// ALSA writes its own lines to stderr when it finds no card, before SDL
// says what failed; the program's one line says it all. SDL opens ALSA by
// name at run time, so its error handler is reached the same way, and
// where there is no ALSA there is nothing to silence.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa()
{
	using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
	void* alsa = dlopen("libasound.so.2", RTLD_NOW);
	if (alsa == nullptr)
	{
		return;
	}
	auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
	if (setHandler != nullptr)
	{
		setHandler(QuietAlsa);
	}
	// Kept open: the handler must outlive every use of ALSA.
}
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
	SilenceAlsa();
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
