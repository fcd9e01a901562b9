#pragma once

#include <string>

#include "tools/Synth.h"

// The two music loops, synthesized at MusicRate and encoded as MP3.
namespace Music
{
constexpr int MusicRate = 44100;

// A 32 second battle loop in A minor: lead, bass, pads and drums.
Synth::Samples BuildBattleLoop();
// A four second brass fanfare in C major with drums.
Synth::Samples BuildFanfareLoop();
// Constant bit rate, mono, without tags, so the bytes repeat exactly.
bool WriteMp3(const std::string& path, const Synth::Samples& samples, int rate);
} // namespace Music
