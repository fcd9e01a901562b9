#include "game/assets/MixerVolume.h"

#include <SDL2/SDL_mixer.h>

#include "game/assets/SoundBank.h"

MixerVolume mixerVolume;

namespace
{
int Clamp(int level)
{
	return level < 0 ? 0 : (level > MixerVolume::MaxVolume ? MixerVolume::MaxVolume : level);
}
} // namespace

void MixerVolume::SetMusic(int level)
{
	music = Clamp(level);
	Apply();
}

void MixerVolume::SetEffects(int level)
{
	effects = Clamp(level);
	Apply();
}

void MixerVolume::MuteMusic(bool mute)
{
	musicMuted = mute;
	Apply();
}

void MixerVolume::MuteEffects(bool mute)
{
	effectsMuted = mute;
	Apply();
}

void MixerVolume::Apply() const
{
	if (!SoundBank::MixerOpen())
	{
		return;
	}
	Mix_VolumeMusic(musicMuted ? 0 : music);
	// -1: every channel the effects may play on.
	Mix_Volume(-1, effectsMuted ? 0 : effects);
}
