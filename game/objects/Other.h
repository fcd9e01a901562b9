#pragma once

#include <cstdint>

#include "game/objects/Knight.h"

// A passive knight figure with a sprite frame of its own.
class Other : public Knight
{
public:
	Other();

	// Frame in the tile sheet drawn for this figure.
	int32_t tile = 0;
};
