#pragma once

// The loudness of the music and of the effects, each from 0 to MaxVolume
// and each with a mute that keeps the chosen level. Applied through the
// mixer's own volume calls, so it holds across games until changed.
class MixerVolume
{
public:
	// The mixer's full volume (MIX_MAX_VOLUME).
	static constexpr int MaxVolume = 128;

	void SetMusic(int level);
	void SetEffects(int level);
	void MuteMusic(bool mute);
	void MuteEffects(bool mute);

	int Music() const { return music; }
	int Effects() const { return effects; }
	bool MusicMuted() const { return musicMuted; }
	bool EffectsMuted() const { return effectsMuted; }

private:
	// Hands the levels to the mixer, when one is open.
	void Apply() const;

	int music = MaxVolume;
	int effects = MaxVolume;
	bool musicMuted = false;
	bool effectsMuted = false;
};

extern MixerVolume mixerVolume;
