#include "tools/PixelFont.h"

#include <cstring>

namespace
{
struct Glyph
{
	char character;
	// Seven rows of five cells, '#' for ink.
	const char* rows;
};

const Glyph Glyphs[] = {
	{'A', ".###.#...##...#######...##...##...#"},
	{'B', "####.#...##...#####.#...##...#####."},
	{'C', ".###.#...##....#....#....#...#.###."},
	{'D', "####.#...##...##...##...##...#####."},
	{'E', "######....#....####.#....#....#####"},
	{'F', "######....#....####.#....#....#...."},
	{'G', ".###.#...##....#.####...##...#.####"},
	{'H', "#...##...##...#######...##...##...#"},
	{'I', ".###...#....#....#....#....#...###."},
	{'J', "..###...#....#....#....#.#..#..##.."},
	{'K', "#...##..#.#.#..##...#.#..#..#.#...#"},
	{'L', "#....#....#....#....#....#....#####"},
	{'M', "#...###.###.#.##...##...##...##...#"},
	{'N', "#...##...###..##.#.##..###...##...#"},
	{'O', ".###.#...##...##...##...##...#.###."},
	{'P', "####.#...##...#####.#....#....#...."},
	{'Q', ".###.#...##...##...##.#.##..#..##.#"},
	{'R', "####.#...##...#####.#.#..#..#.#...#"},
	{'S', ".#####....#.....###.....#....#####."},
	{'T', "#####..#....#....#....#....#....#.."},
	{'U', "#...##...##...##...##...##...#.###."},
	{'V', "#...##...##...##...##...#.#.#...#.."},
	{'W', "#...##...##...##.#.##.#.##.#.#.#.#."},
	{'X', "#...##...#.#.#...#...#.#.#...##...#"},
	{'Y', "#...##...#.#.#...#....#....#....#.."},
	{'Z', "#####....#...#...#...#...#....#####"},
	{'0', ".###.#...##..###.#.###..##...#.###."},
	{'1', "..#...##....#....#....#....#...###."},
	{'2', ".###.#...#....#...#...#...#...#####"},
	{'3', "#####...#...#.....#.....##...#.###."},
	{'4', "...#...##..#.#.#..#.#####...#....#."},
	{'5', "######....####.....#....##...#.###."},
	{'6', "..##..#...#....####.#...##...#.###."},
	{'7', "#####....#...#...#...#....#....#..."},
	{'8', ".###.#...##...#.###.#...##...#.###."},
	{'9', ".###.#...##...#.####....#...#..##.."},
	{'!', "..#....#....#....#....#.........#.."},
	{'-', "...............#####..............."},
	{'.', "..........................##...##.."},
	{':', "......##...##........##...##......."},
	{',', ".....................##....#...#..."},
};

const char* RowsOf(char c)
{
	for (const Glyph& glyph : Glyphs)
	{
		if (glyph.character == c)
		{
			return glyph.rows;
		}
	}
	return nullptr;
}

bool Ink(const char* rows, int x, int y)
{
	if (rows == nullptr || x < 0 || y < 0 || x >= PixelFont::GlyphWidth || y >= PixelFont::GlyphHeight)
	{
		return false;
	}
	const size_t index = static_cast<size_t>(y * PixelFont::GlyphWidth + x);
	return index < std::strlen(rows) && rows[index] == '#';
}
} // namespace

int PixelFont::TextWidth(const std::string& text, int scale)
{
	if (text.empty())
	{
		return 0;
	}
	return (static_cast<int>(text.size()) * Advance - (Advance - GlyphWidth)) * scale;
}

void PixelFont::DrawText(Canvas& canvas, const std::string& text, int x, int y, int scale, Rgba colour)
{
	for (size_t i = 0; i < text.size(); ++i)
	{
		const char* rows = RowsOf(text[i]);
		const int left = x + static_cast<int>(i) * Advance * scale;
		for (int gy = 0; gy < GlyphHeight; ++gy)
		{
			for (int gx = 0; gx < GlyphWidth; ++gx)
			{
				if (Ink(rows, gx, gy))
				{
					canvas.FillRect(left + gx * scale, y + gy * scale, scale, scale, colour);
				}
			}
		}
	}
}

void PixelFont::DrawBorderedCentred(Canvas& canvas, const std::string& text, int cx, int y, int scale,
	Rgba colour, Rgba borderColour, int border)
{
	const int x = cx - TextWidth(text, scale) / 2;
	for (int dy = -border; dy <= border; ++dy)
	{
		for (int dx = -border; dx <= border; ++dx)
		{
			DrawText(canvas, text, x + dx, y + dy, scale, borderColour);
		}
	}
	DrawText(canvas, text, x, y, scale, colour);
}
