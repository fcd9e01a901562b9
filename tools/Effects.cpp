#include "tools/Effects.h"

#include <algorithm>
#include <cmath>

namespace Effects
{
namespace
{
using Synth::Biquad;
using Synth::Noise;
using Synth::Pi;
using Synth::Samples;

constexpr float Rate = static_cast<float>(EffectRate);
// An effect's loudest sample; with the music's peak it stays below full
// scale, so an effect over the music at full volumes never clips.
constexpr float Peak = 0.55f;

Samples Silence(float seconds)
{
	return Samples(static_cast<size_t>(seconds * Rate));
}

float Time(size_t i)
{
	return static_cast<float>(i) / Rate;
}

// A voice: a buzzing pulse train with falling pitch, shaped by two vowel
// formants, plus a breath of noise at the start.
void Voice(Samples& out, float start, float length, float pitchFrom, float pitchTo, float formant1,
	float formant2, float gain, uint32_t seed)
{
	Biquad f1;
	Biquad f2;
	f1.SetBandPass(formant1, 6.0f, Rate);
	f2.SetBandPass(formant2, 8.0f, Rate);
	Biquad breathFilter;
	breathFilter.SetBandPass(1400.0f, 1.5f, Rate);
	Noise noise(seed);
	float phase = 0.0f;
	const size_t first = static_cast<size_t>(start * Rate);
	const size_t count = static_cast<size_t>(length * Rate);
	for (size_t i = 0; i < count && first + i < out.size(); ++i)
	{
		const float t = static_cast<float>(i) / Rate;
		const float u = t / length;
		const float pitch = pitchFrom + (pitchTo - pitchFrom) * u;
		phase += pitch / Rate;
		phase -= std::floor(phase);
		const float buzz = Synth::Saw(phase) + 0.3f * std::sin(2.0f * Pi * phase);
		const float envelope = std::min(1.0f, t / 0.015f) * std::pow(1.0f - u, 0.8f);
		const float breath = breathFilter.Process(noise.Next()) * std::exp(-t / 0.04f);
		out[first + i] += gain * (envelope * (f1.Process(buzz) + 0.6f * f2.Process(buzz)) + 0.6f * breath);
	}
}

// Whoosh: noise through a band whose centre sweeps up and back down.
void Swoosh(Samples& out, float length, float low, float high, float q, float gain, uint32_t seed)
{
	Noise noise(seed);
	Biquad band;
	for (size_t i = 0; i < out.size() && Time(i) < length; ++i)
	{
		const float u = Time(i) / length;
		const float centre = low + (high - low) * std::sin(Pi * u);
		band.SetBandPass(centre, q, Rate);
		const float envelope = std::sin(Pi * std::pow(u, 0.6f));
		out[i] += gain * envelope * band.Process(noise.Next());
	}
}

Samples EnemyHit()
{
	Samples out = Silence(0.25f);
	Noise noise(11);
	Biquad crunch;
	crunch.SetLowPass(2500.0f, 0.8f, Rate);
	float phase = 0.0f;
	float blip = 0.0f;
	for (size_t i = 0; i < out.size(); ++i)
	{
		const float t = Time(i);
		phase += (55.0f + 110.0f * std::exp(-t / 0.03f)) / Rate;
		blip += (900.0f * std::exp(-t / 0.05f) + 200.0f) / Rate;
		const float thump = std::sin(2.0f * Pi * phase) * std::exp(-t / 0.08f);
		const float smack = crunch.Process(noise.Next()) * std::exp(-t / 0.025f);
		const float tone = Synth::Square(blip - std::floor(blip), 0.5f) * std::exp(-t / 0.04f);
		out[i] = thump + 0.8f * smack + 0.25f * tone;
	}
	return out;
}

Samples FireballLaunch()
{
	Samples out = Silence(0.7f);
	Swoosh(out, 0.7f, 250.0f, 1400.0f, 1.2f, 1.0f, 21);
	Noise crackles(22);
	Biquad roar;
	roar.SetLowPass(300.0f, 0.9f, Rate);
	float phase = 0.0f;
	for (size_t i = 0; i < out.size(); ++i)
	{
		const float t = Time(i);
		const float envelope = std::min(1.0f, t / 0.05f) * std::exp(-t / 0.3f);
		phase += (70.0f + 40.0f * std::exp(-t / 0.2f)) / Rate;
		const float rumble = roar.Process(crackles.Next()) * 3.0f + 0.3f * std::sin(2.0f * Pi * phase);
		// Sparse loud single samples: the crackle of fire.
		const float crack = crackles.Next() > 0.985f ? crackles.Next() : 0.0f;
		out[i] += envelope * (rumble + 0.8f * crack);
	}
	return out;
}

// A ghostly moan: a hollow wavering tone that swells up and sinks back.
Samples GhostMoan()
{
	Samples out = Silence(1.1f);
	Noise noise(31);
	Biquad air;
	air.SetBandPass(900.0f, 3.0f, Rate);
	float phase = 0.0f;
	const float length = Time(out.size());
	for (size_t i = 0; i < out.size(); ++i)
	{
		const float t = Time(i);
		const float u = t / length;
		const float pitch = 300.0f + 220.0f * std::sin(Pi * u) * (1.0f - 0.4f * u);
		const float vibrato = 1.0f + 0.035f * std::sin(2.0f * Pi * 6.0f * t);
		phase += pitch * vibrato / Rate;
		const float tone = std::sin(2.0f * Pi * phase) + 0.35f * std::sin(4.0f * Pi * phase)
			+ 0.15f * std::sin(6.0f * Pi * phase);
		const float envelope = std::sin(Pi * u) * (0.8f + 0.2f * std::sin(2.0f * Pi * 3.0f * t));
		out[i] = envelope * (tone + 0.5f * air.Process(noise.Next()));
	}
	return out;
}

// The zombie's last groan sinking away, with a puff as it falls apart.
Samples EnemyDeath()
{
	Samples out = Silence(0.9f);
	Voice(out, 0.0f, 0.75f, 190.0f, 55.0f, 450.0f, 850.0f, 1.0f, 41);
	Noise noise(42);
	Biquad puff;
	puff.SetLowPass(1200.0f, 0.7f, Rate);
	for (size_t i = 0; i < out.size(); ++i)
	{
		const float t = Time(i) - 0.35f;
		if (t > 0.0f)
		{
			out[i] += 0.7f * puff.Process(noise.Next()) * std::min(1.0f, t / 0.03f) * std::exp(-t / 0.15f);
		}
	}
	return out;
}

// A springy boing off metal: a tone that jumps up and wobbles, over a clang.
Samples Bounce()
{
	Samples out = Silence(0.4f);
	const float partials[] = {1.0f, 2.76f, 5.40f, 8.93f};
	float phase = 0.0f;
	for (size_t i = 0; i < out.size(); ++i)
	{
		const float t = Time(i);
		const float pitch = 220.0f * (1.0f + 0.9f * (1.0f - std::exp(-t / 0.03f)))
			* (1.0f + 0.06f * std::sin(2.0f * Pi * 22.0f * t));
		phase += pitch / Rate;
		float clang = 0.0f;
		for (int k = 0; k < 4; ++k)
		{
			clang += std::sin(2.0f * Pi * 760.0f * partials[k] * t) * std::exp(-t * (12.0f + 10.0f * k)) / (1.0f + k);
		}
		out[i] = std::sin(2.0f * Pi * phase) * std::exp(-t / 0.12f) + 0.5f * clang;
	}
	return out;
}

// Swinging a heavy mace: a deep, quick rush of air.
Samples MaceSwing()
{
	Samples out = Silence(0.4f);
	Swoosh(out, 0.4f, 300.0f, 1600.0f, 2.0f, 1.0f, 81);
	Swoosh(out, 0.4f, 120.0f, 400.0f, 1.0f, 0.6f, 82);
	return out;
}

// The bow string's twang followed by the hiss of the arrow leaving.
Samples ArrowShot()
{
	Samples out = Silence(0.45f);
	const size_t period = static_cast<size_t>(Rate / 196.0f);
	std::vector<float> string(period);
	Noise noise(91);
	for (float& s : string)
	{
		s = noise.Next();
	}
	size_t position = 0;
	for (size_t i = 0; i < out.size(); ++i)
	{
		const size_t next = (position + 1) % period;
		const float sample = string[position];
		string[position] = 0.498f * (string[position] + string[next]);
		position = next;
		out[i] = 0.8f * sample * std::exp(-Time(i) / 0.15f);
	}
	Biquad hiss;
	hiss.SetHighPass(2500.0f, 0.7f, Rate);
	for (size_t i = 0; i < out.size(); ++i)
	{
		const float t = Time(i) - 0.02f;
		if (t > 0.0f)
		{
			out[i] += 0.5f * hiss.Process(noise.Next()) * std::sin(Pi * std::min(1.0f, t / 0.18f));
		}
	}
	return out;
}

// A low, drawn-out "ha-ha-ha-ha-haa" that sinks in pitch, with a short echo.
Samples EvilLaugh()
{
	Samples out = Silence(2.0f);
	const int syllables = 5;
	for (int k = 0; k < syllables; ++k)
	{
		const float pitch = 170.0f - 12.0f * k;
		const float length = k + 1 == syllables ? 0.45f : 0.17f;
		Voice(out, 0.05f + 0.26f * k, length, pitch, pitch * 0.85f, 760.0f, 1150.0f, 1.0f,
			static_cast<uint32_t>(101 + k));
	}
	const size_t delay = static_cast<size_t>(0.11f * Rate);
	for (size_t i = delay; i < out.size(); ++i)
	{
		out[i] += 0.3f * out[i - delay];
	}
	return out;
}

Samples Hurt(float pitchFrom, float pitchTo, float formant1, float formant2, uint32_t seed)
{
	Samples out = Silence(0.35f);
	Voice(out, 0.0f, 0.3f, pitchFrom, pitchTo, formant1, formant2, 1.0f, seed);
	return out;
}
} // namespace

std::vector<Effect> BuildAll()
{
	std::vector<Effect> effects = {
		{"enemyhit", EnemyHit()},
		{"fireball", FireballLaunch()},
		{"ghostfix", GhostMoan()},
		{"enemydeath", EnemyDeath()},
		{"bounce", Bounce()},
		// Two different cries of pain, so repeated hits do not sound mechanical.
		{"p1", Hurt(150.0f, 100.0f, 420.0f, 800.0f, 51)},
		{"p2", Hurt(230.0f, 165.0f, 760.0f, 1250.0f, 61)},
		{"mace", MaceSwing()},
		{"arrow", ArrowShot()},
		{"laugh", EvilLaugh()},
	};
	for (Effect& effect : effects)
	{
		Synth::BlockDc(effect.samples);
		Synth::Normalise(effect.samples, Peak);
	}
	return effects;
}
} // namespace Effects
