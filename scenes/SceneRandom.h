#pragma once

#include <cstdlib>

// A value from lo to hi drawn from the runtime's rand, masked to 15 bits so
// every platform draws the same sequence for the same seed.
inline float RandomFloat(float lo, float hi)
{
	const float r = static_cast<float>(std::rand() & 0x7FFF) / 32767.0f;
	return (hi - lo) * r + lo;
}
