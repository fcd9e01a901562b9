#include "game/arena/ArenaLevel.h"

#include <stdexcept>

namespace
{
// One character a cell, top row first, so the level reads as it looks:
//   . background   o background variant   X full block
//   A upper-left half solid    B upper-right half solid
//   C floor rising to the right    D floor falling to the right
constexpr const char* LevelRows[ArenaHeight] = {
	"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
	"X..............................................................................X",
	"X..............................................................................X",
	"X...................................................................o..........X",
	"X..............................................................................X",
	"X...............................................................CXXXXXXXXXXXXXXX",
	"XXXXXXXD.....o..............................................CXXXXXXXXXXXXXXXXXXX",
	"XXXXXXXXXXD.............................................CXXXXXXXXXXXXXXXXXXXXXXX",
	"XXXXXXXXXXXXXXXXXD.................................CXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
	"XXXXXXXXXXXXXXXXXXXXXXXD..........................CXXXXXXXXXXXXXXA.............X",
	"X......BXXXXXXXXXXXXXXXXXXXD.....................CXXXXXXXXXXXA.................X",
	"X........BXXXXXXXXXXXXXXXXXXXXXD................CXXXXXXXXA.....................X",
	"X................BXXXXXXXXXXXXXXXD............CXXXXA...........................X",
	"X.....................BXXXXXXXXXXXD..........CXXXXA............................X",
	"X.........................BXXXXXXXA..........BXXA..............................X",
	"X.....................................CD...............o.......................X",
	"X...................................CXXXXXD....................................X",
	"X.................o................CXXXXXXXD...................................X",
	"X..................................XXXXXXXXX...................................X",
	"X.................................CXXXXXXXXXD..................................X",
	"X..............................CXXXXXXXXXXXXXXD................................X",
	"X..........................CXXXXXXXXXXXXXXXXXXXXXXD.......o....................X",
	"X........................CXXXXXXXXXXXXXXXXXXXXXXXXXXXD.........................X",
	"X.......................CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD...................X",
	"X.....................CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.................X",
	"X..............o.....CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD................X",
	"X................CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.............X",
	"X..............CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD............X",
	"X.............CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD...........X",
	"X............CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD..........X",
	"X...........CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.........X",
	"X..........CXXXXXXXXXXXXXXXA................BXXXXXXXXXXXXXXXXXXXXXXXXXXD.......X",
	"X.........CXXXXXXXXXXXXA.................................BXXXXXXXXXXXXXXD......X",
	"X.......CXXXXXXXXXXXXXA....................................BXXXXXXXXXXXXA...CXXX",
	"X......CXXXXXXXXXXXXA.........................................BXXXXA.......CXXXX",
	"X......BXXXXXXXXXXA.......................................................CXXXXX",
	"XXXD.................................o...................................CXXXXXX",
	"XXXXD.................................................................CXXXXXXXXX",
	"XXXXXD.............................................................CXXXXXXXXXXXX",
	"XXXXXXD...........................................................CXXXXXXXXXXXXX",
	"XXXXXXXXXD.......................................................CXXXXXXXXXXXXXX",
	"XXXXXXXXXXXD...................................................CXXXXXXXXXXXXXXXX",
	"XXXXXXXXXXXXD......o.........................................CXXXXXXXXXXXXXXXXXX",
	"XXXXXXXXXXXXXD............................................CXXXXXXXXXXXXXXXXXXXXX",
	"XXXXXXXXXXXXXXXXXXXXXXD.............................o...CXXXXXXXXXXXXXXXXXXXXXXX",
	"XXXXXXXXXXXXXXXXXXXXXXXXXXXD...........................CXXXXXXXXXXXXXXXXXXXXA..X",
	"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD........................XXXXXXXXXXXXXXXXXXA.....X",
	"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.....................CXXXXXXXXXXXXXXXA........X",
	"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD...................CXXXXXXXXXXXXXXA..........X",
	"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX...................XXXXXXXXXXXXXA............X",
	"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.................CXXXXXXXXXXXA..............X",
	"X...................BXXXXXXXXXXXXXXD...............CXXXXXXXXA..................X",
	"X.......................BXXXXXXXXXXXD.............CXXXXA.......................X",
	"X...........................BXXXXXXXX............CXXXA.........................X",
	"X...............................BXXXXD....CD....CXXXA..........................X",
	"X.................................BXXA...CXXXD..BXA.......o....................X",
	"X.......................................CXXXXX.................................X",
	"X......................o...............CXXXXXXD................................X",
	"X.....................................CXXXXXXXXD...............................X",
	"X................................CXXXXXXXXXXXXXXXD.............................X",
	"X.............................CXXXXXXXXXXXXXXXXXXXXD...........................X",
	"X..........................CXXXXXXXXXXXXXXXXXXXXXXXXXD.....o...................X",
	"X........................CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.......................X",
	"X.......................CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.....................X",
	"X................o....CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD...................X",
	"X....................CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.................X",
	"X..................CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD...............X",
	"X.................CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD..............X",
	"X................CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.............X",
	"X..............CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD...........X",
	"X............CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD..........X",
	"X...........CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD........X",
	"X..........CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD.......X",
	"X.........CXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXD......X",
	"X........CXXXXXXXXXXXXXXXXXXXXXXA..........BXXXXXXXXXXXXXXXXXXXXXXXXXXXXA......X",
	"X......CXXXXXXXXXXXXXXXXXXXXXXA.................BXXXXXXXXXXXXXXXXXXXXXXA....CXXX",
	"X......XXXXXXXXXXXXXXXXXXXA..........................BXXXXXXXXXXXXXXXA......XXXX",
	"XXXD...BXXXXXXXXXXXXXXXXXA...............................BXXXXXXXXXXA......CXXXX",
	"XXXXD......BXXXXXXXXXXXA...................................................XXXXX",
	"XXXXXD.......BXXXXXXXXA...................................................CXXXXX",
	"XXXXXXD..................................................................CXXXXXX",
	"XXXXXXXD.................................................................XXXXXXX",
	"XXXXXXXXD...............................................................CXXXXXXX",
	"XXXXXXXXXXD..........................o.........o.......................CXXXXXXXX",
	"XXXXXXXXXXXD..........................................................CXXXXXXXXX",
	"XXXXXXXXXXXXD........................................................CXXXXXXXXXX",
	"XXXXXXXXXXXXXD......................................................CXXXXXXXXXXX",
	"XXXXXXXXXXXXXXD....................................................CXXXXXXXXXXXX",
	"XXXXXXXXXXXXXXXD......o.....................................o.....CXXXXXXXXXXXXX",
	"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
};

constexpr int CodeOf(char cell)
{
	switch (cell)
	{
	case '.':
		return TileBackground;
	case 'o':
		return TileBackgroundVariant;
	case 'X':
		return TileBlock;
	case 'A':
		return TileUpperLeftHalf;
	case 'B':
		return TileUpperRightHalf;
	case 'C':
		return TileFloorRising;
	case 'D':
		return TileFloorFalling;
	default:
		throw std::logic_error("unknown level character");
	}
}

constexpr std::array<int, ArenaWidth * ArenaHeight> Decode()
{
	std::array<int, ArenaWidth * ArenaHeight> cells{};
	for (unsigned int row = 0; row < ArenaHeight; ++row)
	{
		const char* text = LevelRows[row];
		for (unsigned int column = 0; column < ArenaWidth; ++column)
		{
			if (text[column] == '\0')
			{
				throw std::logic_error("level row too short");
			}
			cells[row * ArenaWidth + column] = CodeOf(text[column]);
		}
		if (text[ArenaWidth] != '\0')
		{
			throw std::logic_error("level row too long");
		}
	}
	return cells;
}
} // namespace

// Decoded while compiling: a mistyped row stops the build.
constexpr std::array<int, ArenaWidth * ArenaHeight> ArenaLevel = Decode();
