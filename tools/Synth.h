#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Small building blocks for synthesized sound, all deterministic.
namespace Synth
{
constexpr float Pi = 3.14159265358979f;

using Samples = std::vector<float>;

// Repeatable white noise (a linear congruential generator).
class Noise
{
public:
	explicit Noise(uint32_t seed) : state(seed) {}
	float Next();

private:
	uint32_t state;
};

// Second-order filter in the usual audio cookbook forms.
class Biquad
{
public:
	void SetBandPass(float frequency, float q, float rate);
	void SetLowPass(float frequency, float q, float rate);
	void SetHighPass(float frequency, float q, float rate);
	float Process(float x);

private:
	void Set(float b0, float b1, float b2, float a0, float a1, float a2);
	float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
	float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
};

float MidiToHz(float note);
// Band-limited enough for our purposes: naive shapes from a phase in [0, 1).
float Square(float phase, float duty);
float Saw(float phase);
float Triangle(float phase);

// Scales the whole buffer so its loudest sample has magnitude peak.
void Normalise(Samples& samples, float peak);
// Takes away the buffer's mean: a loop stays whole and sits on zero.
void Centre(Samples& samples);
// Takes away what does not change (a square wave's uneven halves leave a
// steady offset) while keeping the sound's start and its silent end: a
// high pass of about 17 Hz at the effects' rate.
void BlockDc(Samples& samples);
// 16-bit mono PCM WAV; false on failure.
bool WriteWav(const std::string& path, const Samples& samples, int rate);
std::vector<int16_t> ToPcm16(const Samples& samples);
} // namespace Synth
