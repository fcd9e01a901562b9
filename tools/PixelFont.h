#pragma once

#include <string>

#include "tools/Canvas.h"

// A 5 x 7 pixel capital-letter font of our own, for overlay words and the
// labels of the contact sheet. Characters without a glyph draw as blanks.
class PixelFont
{
public:
	static constexpr int GlyphWidth = 5;
	static constexpr int GlyphHeight = 7;
	// Pixels from one character's left edge to the next, at scale 1.
	static constexpr int Advance = 6;

	// Width in pixels of text drawn at scale.
	static int TextWidth(const std::string& text, int scale);
	// Draws text with its top-left at (x, y), each font pixel scale x scale.
	static void DrawText(Canvas& canvas, const std::string& text, int x, int y, int scale, Rgba colour);
	// Draws text centred on column cx, with a dark border of border font
	// pixels' width around every stroke, so it stays readable on any scene.
	static void DrawBorderedCentred(Canvas& canvas, const std::string& text, int cx, int y, int scale,
		Rgba colour, Rgba borderColour, int border);
};
