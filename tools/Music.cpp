#include "tools/Music.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace Music
{
namespace
{
using Synth::Biquad;
using Synth::Noise;
using Synth::Pi;
using Synth::Samples;

constexpr float Rate = static_cast<float>(MusicRate);
constexpr float Tempo = 120.0f;
constexpr float Beat = 60.0f / Tempo;
constexpr float Eighth = Beat / 2.0f;
constexpr int Hold = 0;
constexpr int Rest = -1;
// Echoes and decays that run past the loop's end are folded back onto its
// start, so the loop repeats without a seam.
constexpr float TailSeconds = 2.0f;

size_t At(float seconds)
{
	return static_cast<size_t>(std::lround(seconds * Rate));
}

// Mixes a rendered note into the track at a time.
void Add(Samples& track, float start, const Samples& note, float gain)
{
	const size_t first = At(start);
	for (size_t i = 0; i < note.size() && first + i < track.size(); ++i)
	{
		track[first + i] += gain * note[i];
	}
}

// Pulse lead with a little delayed vibrato, as on an old console.
Samples LeadNote(float hz, float length)
{
	Samples note(At(length + 0.05f));
	float phase = 0.0f;
	for (size_t i = 0; i < note.size(); ++i)
	{
		const float t = static_cast<float>(i) / Rate;
		const float vibrato = 1.0f + (t > 0.12f ? 0.006f * std::sin(2.0f * Pi * 5.5f * t) : 0.0f);
		phase += hz * vibrato / Rate;
		phase -= std::floor(phase);
		const float release = t < length ? 1.0f : std::max(0.0f, 1.0f - (t - length) / 0.05f);
		const float envelope = std::min(1.0f, t / 0.01f) * (0.75f + 0.25f * std::exp(-t / 0.1f)) * release;
		note[i] = envelope * (0.6f * Synth::Square(phase, 0.25f) + 0.4f * Synth::Triangle(phase));
	}
	return note;
}

Samples BassNote(float hz, float length)
{
	Samples note(At(length));
	Biquad tone;
	tone.SetLowPass(900.0f, 1.2f, Rate);
	float phase = 0.0f;
	for (size_t i = 0; i < note.size(); ++i)
	{
		const float t = static_cast<float>(i) / Rate;
		phase += hz / Rate;
		phase -= std::floor(phase);
		const float envelope = std::min(1.0f, t / 0.005f) * std::exp(-t / 0.25f)
			* std::min(1.0f, (length - t) / 0.01f);
		note[i] = envelope * tone.Process(Synth::Saw(phase) + 0.5f * Synth::Triangle(phase));
	}
	return note;
}

Samples PadChord(const std::vector<float>& hz, float length)
{
	Samples note(At(length));
	Biquad soft;
	soft.SetLowPass(1400.0f, 0.7f, Rate);
	std::vector<float> phases(hz.size() * 2, 0.0f);
	for (size_t i = 0; i < note.size(); ++i)
	{
		const float t = static_cast<float>(i) / Rate;
		float sum = 0.0f;
		for (size_t k = 0; k < hz.size(); ++k)
		{
			// Two slightly detuned voices per tone make the pad shimmer.
			for (int d = 0; d < 2; ++d)
			{
				float& phase = phases[2 * k + d];
				phase += hz[k] * (d == 0 ? 1.0f : 1.004f) / Rate;
				phase -= std::floor(phase);
				sum += Synth::Saw(phase);
			}
		}
		const float envelope = std::min(1.0f, t / 0.2f) * std::min(1.0f, (length - t) / 0.2f);
		note[i] = envelope * soft.Process(sum) / static_cast<float>(2 * hz.size());
	}
	return note;
}

Samples Kick()
{
	Samples note(At(0.3f));
	float phase = 0.0f;
	for (size_t i = 0; i < note.size(); ++i)
	{
		const float t = static_cast<float>(i) / Rate;
		phase += (45.0f + 120.0f * std::exp(-t / 0.04f)) / Rate;
		note[i] = std::sin(2.0f * Pi * phase) * std::exp(-t / 0.12f);
	}
	return note;
}

Samples Snare(uint32_t seed)
{
	Samples note(At(0.25f));
	Noise noise(seed);
	Biquad band;
	band.SetBandPass(1800.0f, 0.8f, Rate);
	for (size_t i = 0; i < note.size(); ++i)
	{
		const float t = static_cast<float>(i) / Rate;
		const float body = std::sin(2.0f * Pi * 190.0f * t) * std::exp(-t / 0.05f);
		note[i] = 0.5f * body + 1.2f * band.Process(noise.Next()) * std::exp(-t / 0.07f);
	}
	return note;
}

Samples HiHat(float decay, uint32_t seed)
{
	Samples note(At(decay * 5.0f));
	Noise noise(seed);
	Biquad high;
	high.SetHighPass(7000.0f, 0.7f, Rate);
	for (size_t i = 0; i < note.size(); ++i)
	{
		const float t = static_cast<float>(i) / Rate;
		note[i] = high.Process(noise.Next()) * std::exp(-t / decay);
	}
	return note;
}

// Adds a feedback echo to a track.
void Echo(Samples& track, float delaySeconds, float feedback)
{
	const size_t delay = At(delaySeconds);
	for (size_t i = delay; i < track.size(); ++i)
	{
		track[i] += feedback * track[i - delay];
	}
}

constexpr float MusicPeak = 0.4f;

Samples Loop(Samples track, float loopSeconds)
{
	const size_t length = At(loopSeconds);
	for (size_t i = length; i < track.size(); ++i)
	{
		track[i - length] += track[i];
	}
	track.resize(length);
	Synth::Centre(track);
	// With an effect's peak, below full scale (the encoder overshoots a
	// little).
	Synth::Normalise(track, MusicPeak);
	return track;
}

// One bar of eight eighth notes of the lead: a MIDI note, Hold or Rest.
using Bar = std::vector<int>;

void AddMelody(Samples& track, const std::vector<Bar>& bars, float gain)
{
	const float barLength = 8 * Eighth;
	for (size_t b = 0; b < bars.size(); ++b)
	{
		const Bar& bar = bars[b];
		for (size_t e = 0; e < bar.size(); ++e)
		{
			if (bar[e] <= 0)
			{
				continue;
			}
			size_t end = e + 1;
			while (end < bar.size() && bar[end] == Hold)
			{
				++end;
			}
			const float length = static_cast<float>(end - e) * Eighth * 0.92f;
			Add(track, b * barLength + e * Eighth, LeadNote(Synth::MidiToHz(static_cast<float>(bar[e])), length),
				gain);
		}
	}
}
} // namespace

Samples BuildBattleLoop()
{
	// Chords by bar (root, third, fifth as MIDI notes) and the lead over them.
	const std::vector<std::vector<int>> chords = {
		{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}, // Am F C G
		{57, 60, 64}, {53, 57, 60}, {55, 59, 62}, {52, 56, 59}, // Am F G E
		{53, 57, 60}, {55, 59, 62}, {52, 55, 59}, {57, 60, 64}, // F G Em Am
		{53, 57, 60}, {55, 59, 62}, {52, 56, 59}, {52, 56, 59}, // F G E E
	};
	const std::vector<Bar> melody = {
		{76, Hold, 72, Hold, 69, 72, 76, 79},
		{77, Hold, 76, 74, 72, Hold, 69, Hold},
		{72, Hold, 76, Hold, 79, Hold, 76, 72},
		{74, Hold, 71, Hold, 67, Hold, Rest, Rest},
		{76, Hold, 72, Hold, 69, 72, 76, 79},
		{81, Hold, 79, 77, 76, Hold, 74, Hold},
		{74, 76, 74, 71, 67, Hold, 71, 74},
		{76, Hold, Hold, Hold, 68, Hold, 71, Hold},
		{81, Hold, 77, Hold, 72, Hold, 77, 81},
		{83, Hold, 79, Hold, 74, Hold, 79, 83},
		{84, 83, 81, 79, 76, Hold, 79, Hold},
		{81, Hold, Hold, Hold, Rest, Rest, 76, 79},
		{81, Hold, 77, Hold, 72, Hold, 77, 81},
		{83, Hold, 86, Hold, 83, Hold, 79, Hold},
		{80, Hold, 83, Hold, 88, Hold, 86, 83},
		{76, Hold, Hold, Hold, Rest, Rest, Rest, Rest},
	};
	const float barLength = 8 * Eighth;
	const float loopSeconds = barLength * static_cast<float>(chords.size());
	Samples lead(At(loopSeconds + TailSeconds));
	AddMelody(lead, melody, 0.30f);
	Echo(lead, 3.0f * Eighth, 0.28f);

	Samples track = lead;
	const int bassPattern[] = {0, 0, 12, 0, 7, 0, 12, 7};
	for (size_t b = 0; b < chords.size(); ++b)
	{
		const float barStart = b * barLength;
		const int root = chords[b][0] - 24 + (chords[b][0] < 52 ? 12 : 0);
		for (int e = 0; e < 8; ++e)
		{
			Add(track, barStart + e * Eighth, BassNote(Synth::MidiToHz(static_cast<float>(root + bassPattern[e])),
				Eighth * 0.9f), 0.30f);
		}
		std::vector<float> pad;
		for (int note : chords[b])
		{
			pad.push_back(Synth::MidiToHz(static_cast<float>(note)));
		}
		Add(track, barStart, PadChord(pad, barLength), 0.16f);

		for (int beat = 0; beat < 4; ++beat)
		{
			const float t = barStart + beat * Beat;
			if (beat % 2 == 0)
			{
				Add(track, t, Kick(), 0.55f);
			}
			else
			{
				Add(track, t, Snare(static_cast<uint32_t>(b * 4 + beat)), 0.32f);
			}
		}
		// A pushed kick before the fourth beat drives the groove.
		Add(track, barStart + 5 * Eighth, Kick(), 0.4f);
		for (int e = 0; e < 8; ++e)
		{
			const bool open = b % 4 == 3 && e == 7;
			Add(track, barStart + e * Eighth, HiHat(open ? 0.12f : 0.02f, static_cast<uint32_t>(1000 + b * 8 + e)),
				e % 2 == 0 ? 0.12f : 0.08f);
		}
		if (b % 8 == 0)
		{
			Add(track, barStart, HiHat(0.45f, static_cast<uint32_t>(5000 + b)), 0.16f);
		}
	}
	return Loop(track, loopSeconds);
}

namespace
{
// Bright brass: a saw whose filter opens with each note's attack.
Samples BrassNote(float hz, float length)
{
	Samples note(At(length + 0.1f));
	Biquad filter;
	float phase = 0.0f;
	for (size_t i = 0; i < note.size(); ++i)
	{
		const float t = static_cast<float>(i) / Rate;
		if (i % 32 == 0)
		{
			filter.SetLowPass(std::min(8000.0f, hz * (2.0f + 6.0f * std::min(1.0f, t / 0.05f))), 0.9f, Rate);
		}
		phase += hz * (1.0f + 0.004f * std::sin(2.0f * Pi * 5.0f * t)) / Rate;
		phase -= std::floor(phase);
		const float release = t < length ? 1.0f : std::max(0.0f, 1.0f - (t - length) / 0.1f);
		note[i] = std::min(1.0f, t / 0.03f) * release * filter.Process(Synth::Saw(phase));
	}
	return note;
}

struct FanfareNote
{
	float beat;
	float beats;
	int midi;
};
} // namespace

Samples BuildFanfareLoop()
{
	constexpr float Third = 1.0f / 3.0f;
	const std::vector<FanfareNote> lead = {
		{0.0f, Third, 67}, {Third, Third, 67}, {2 * Third, Third, 67}, {1.0f, 1.0f, 72}, {2.0f, 0.5f, 76},
		{2.5f, 0.5f, 79}, {3.0f, 0.75f, 76}, {3.75f, 0.25f, 79}, {4.0f, 3.0f, 84}, {7.0f, Third, 79},
		{7.0f + Third, Third, 76}, {7.0f + 2 * Third, Third, 79},
	};
	const std::vector<FanfareNote> harmony = {
		{1.0f, 1.0f, 67}, {2.0f, 1.0f, 72}, {3.0f, 1.0f, 72}, {4.0f, 3.0f, 79}, {4.0f, 3.0f, 76},
	};
	const std::vector<FanfareNote> bass = {
		{0.0f, 1.0f, 43}, {1.0f, 1.0f, 48}, {2.0f, 1.0f, 52}, {3.0f, 1.0f, 55}, {4.0f, 3.0f, 48}, {7.0f, 1.0f, 43},
	};
	const float loopSeconds = 8.0f * Beat;
	Samples track(At(loopSeconds + TailSeconds));
	for (const FanfareNote& n : lead)
	{
		Add(track, n.beat * Beat, BrassNote(Synth::MidiToHz(static_cast<float>(n.midi)), n.beats * Beat * 0.9f), 0.35f);
	}
	for (const FanfareNote& n : harmony)
	{
		Add(track, n.beat * Beat, BrassNote(Synth::MidiToHz(static_cast<float>(n.midi)), n.beats * Beat * 0.9f), 0.2f);
	}
	for (const FanfareNote& n : bass)
	{
		Add(track, n.beat * Beat, BassNote(Synth::MidiToHz(static_cast<float>(n.midi)), n.beats * Beat), 0.4f);
	}
	// A snare roll into the high note, then a crash and a kick on it.
	for (int k = 0; k < 8; ++k)
	{
		Add(track, 3.0f * Beat + k * Beat / 8.0f, Snare(static_cast<uint32_t>(300 + k)), 0.12f + 0.03f * k);
	}
	Add(track, 0.0f, Kick(), 0.5f);
	Add(track, 1.0f * Beat, Kick(), 0.5f);
	Add(track, 4.0f * Beat, Kick(), 0.7f);
	Add(track, 4.0f * Beat, HiHat(0.6f, 401), 0.3f);
	Add(track, 7.0f * Beat, Snare(402), 0.3f);
	Echo(track, 0.25f, 0.2f);
	return Loop(track, loopSeconds);
}

bool WriteMp3(const std::string& path, const Samples& samples, int rate)
{
	lame_global_flags* lame = lame_init();
	if (lame == nullptr)
	{
		return false;
	}
	lame_set_in_samplerate(lame, rate);
	lame_set_out_samplerate(lame, rate);
	lame_set_num_channels(lame, 1);
	lame_set_mode(lame, MONO);
	lame_set_brate(lame, 128);
	lame_set_VBR(lame, vbr_off);
	lame_set_quality(lame, 2);
	lame_set_bWriteVbrTag(lame, 0);
	id3tag_init(lame);
	lame_set_write_id3tag_automatic(lame, 0);
	if (lame_init_params(lame) < 0)
	{
		lame_close(lame);
		return false;
	}
	std::vector<int16_t> pcm = Synth::ToPcm16(samples);
	std::vector<unsigned char> mp3(pcm.size() * 5 / 4 + 7200 + 7200);
	int size = lame_encode_buffer(lame, pcm.data(), pcm.data(), static_cast<int>(pcm.size()), mp3.data(),
		static_cast<int>(mp3.size()));
	bool ok = size >= 0;
	if (ok)
	{
		const int tail = lame_encode_flush(lame, mp3.data() + size, static_cast<int>(mp3.size()) - size);
		ok = tail >= 0;
		size += ok ? tail : 0;
	}
	lame_close(lame);
	if (!ok)
	{
		return false;
	}
	FILE* file = std::fopen(path.c_str(), "wb");
	if (file == nullptr)
	{
		return false;
	}
	const bool written = std::fwrite(mp3.data(), 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
	return std::fclose(file) == 0 && written;
}
} // namespace Music
