#include "tools/Synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Synth
{
float Noise::Next()
{
	state = state * 1664525u + 1013904223u;
	return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
}

void Biquad::Set(float nb0, float nb1, float nb2, float a0, float na1, float na2)
{
	b0 = nb0 / a0;
	b1 = nb1 / a0;
	b2 = nb2 / a0;
	a1 = na1 / a0;
	a2 = na2 / a0;
}

void Biquad::SetBandPass(float frequency, float q, float rate)
{
	const float w = 2.0f * Pi * frequency / rate;
	const float alpha = std::sin(w) / (2.0f * q);
	Set(alpha, 0.0f, -alpha, 1.0f + alpha, -2.0f * std::cos(w), 1.0f - alpha);
}

void Biquad::SetLowPass(float frequency, float q, float rate)
{
	const float w = 2.0f * Pi * frequency / rate;
	const float alpha = std::sin(w) / (2.0f * q);
	const float c = std::cos(w);
	Set((1.0f - c) / 2.0f, 1.0f - c, (1.0f - c) / 2.0f, 1.0f + alpha, -2.0f * c, 1.0f - alpha);
}

void Biquad::SetHighPass(float frequency, float q, float rate)
{
	const float w = 2.0f * Pi * frequency / rate;
	const float alpha = std::sin(w) / (2.0f * q);
	const float c = std::cos(w);
	Set((1.0f + c) / 2.0f, -(1.0f + c), (1.0f + c) / 2.0f, 1.0f + alpha, -2.0f * c, 1.0f - alpha);
}

float Biquad::Process(float x)
{
	const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
	x2 = x1;
	x1 = x;
	y2 = y1;
	y1 = y;
	return y;
}

float MidiToHz(float note)
{
	return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

float Square(float phase, float duty)
{
	return phase < duty ? 1.0f : -1.0f;
}

float Saw(float phase)
{
	return 2.0f * phase - 1.0f;
}

float Triangle(float phase)
{
	return phase < 0.5f ? 4.0f * phase - 1.0f : 3.0f - 4.0f * phase;
}

void Normalise(Samples& samples, float peak)
{
	float loudest = 0.0f;
	for (float s : samples)
	{
		loudest = std::max(loudest, std::fabs(s));
	}
	if (loudest <= 0.0f)
	{
		return;
	}
	const float gain = peak / loudest;
	for (float& s : samples)
	{
		s *= gain;
	}
}

void Centre(Samples& samples)
{
	if (samples.empty())
	{
		return;
	}
	double sum = 0.0;
	for (float s : samples)
	{
		sum += s;
	}
	const float mean = static_cast<float>(sum / static_cast<double>(samples.size()));
	for (float& s : samples)
	{
		s -= mean;
	}
}

void BlockDc(Samples& samples)
{
	// The pole of a one-pole high pass: y[n] = x[n] - x[n-1] + R y[n-1].
	constexpr float Pole = 0.995f;
	float lastIn = 0.0f;
	float lastOut = 0.0f;
	for (float& s : samples)
	{
		const float out = s - lastIn + Pole * lastOut;
		lastIn = s;
		lastOut = out;
		s = out;
	}
}

std::vector<int16_t> ToPcm16(const Samples& samples)
{
	std::vector<int16_t> pcm(samples.size());
	for (size_t i = 0; i < samples.size(); ++i)
	{
		const float clamped = std::max(-1.0f, std::min(1.0f, samples[i]));
		pcm[i] = static_cast<int16_t>(std::lround(clamped * 32767.0f));
	}
	return pcm;
}

namespace
{
void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
	for (int i = 0; i < bytes; ++i)
	{
		out.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
	}
}
} // namespace

bool WriteWav(const std::string& path, const Samples& samples, int rate)
{
	const std::vector<int16_t> pcm = ToPcm16(samples);
	const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2);
	std::vector<uint8_t> out;
	out.insert(out.end(), {'R', 'I', 'F', 'F'});
	PutLe(out, 36 + dataBytes, 4);
	out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
	PutLe(out, 16, 4);
	PutLe(out, 1, 2);
	PutLe(out, 1, 2);
	PutLe(out, static_cast<uint32_t>(rate), 4);
	PutLe(out, static_cast<uint32_t>(rate) * 2, 4);
	PutLe(out, 2, 2);
	PutLe(out, 16, 2);
	out.insert(out.end(), {'d', 'a', 't', 'a'});
	PutLe(out, dataBytes, 4);
	for (int16_t s : pcm)
	{
		PutLe(out, static_cast<uint16_t>(s), 2);
	}
	FILE* file = std::fopen(path.c_str(), "wb");
	if (file == nullptr)
	{
		return false;
	}
	const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
	return std::fclose(file) == 0 && written;
}
} // namespace Synth
