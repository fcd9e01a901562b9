#pragma once

#include <string>
#include <vector>

#include "tools/Synth.h"

// The game's ten sound effects, synthesized at EffectRate.
namespace Effects
{
constexpr int EffectRate = 22050;

struct Effect
{
	std::string name;
	Synth::Samples samples;
};

std::vector<Effect> BuildAll();
} // namespace Effects
