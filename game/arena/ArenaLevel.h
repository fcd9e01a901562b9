#pragma once

#include <array>

// The one arena of the game: 80 columns by 90 rows of tile codes, stored top
// row first (cell (x, y) with y counted from the bottom is at index
// (ArenaHeight - 1 - y) * ArenaWidth + x).
constexpr unsigned int ArenaWidth = 80;
constexpr unsigned int ArenaHeight = 90;

// Tile codes the arena uses.
enum TileCode : int
{
	TileBackground = 6,
	TileBackgroundVariant = 20,
	TileUpperLeftHalf = 92,
	TileUpperRightHalf = 93,
	TileBlock = 94,
	TileFloorRising = 95,
	TileFloorFalling = 96,
};

extern const std::array<int, ArenaWidth * ArenaHeight> ArenaLevel;
