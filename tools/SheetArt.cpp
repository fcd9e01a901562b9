#include "tools/SheetArt.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/PixelFont.h"

namespace SheetArt
{
namespace
{
constexpr int Columns = SheetWidth / FrameSize;
constexpr float Pi = 3.14159265f;

// Frame numbers of the sheet, as the game's drawing asks for them.
constexpr int RockOutside = 0;
constexpr int BackgroundVariant = 65;
constexpr int Background = 67;
constexpr int FloorRising = 83;
constexpr int FloorFalling = 85;
constexpr int RockBlock = 93;
constexpr int CeilingRight = 101;
constexpr int CeilingLeft = 103;
constexpr int FigureRed = 10;
constexpr int Archer = 12;
constexpr int FigureGreen = 14;
constexpr int Knight = 16;
constexpr int Zombie = 28;
constexpr int Bow = 30;
constexpr int Mace = 32;
constexpr int Shield = 34;
constexpr int Fireball = 37;
constexpr int Arrow = 41;

const Rgba Ink = Opaque(20, 18, 26);

// Repeatable per-pixel variation: the same picture on every run.
int Noise(int x, int y, int seed)
{
	unsigned int h = static_cast<unsigned int>(x) * 374761393u + static_cast<unsigned int>(y) * 668265263u
		+ static_cast<unsigned int>(seed) * 2246822519u;
	h = (h ^ (h >> 13)) * 1274126177u;
	return static_cast<int>((h ^ (h >> 16)) & 0xFF);
}

Rgba Shade(Rgba c, int delta)
{
	auto clamp = [](int v) { return static_cast<uint8_t>(std::max(0, std::min(255, v))); };
	return Rgba{clamp(c.r + delta), clamp(c.g + delta), clamp(c.b + delta), c.a};
}

Rgba BackgroundPixel(int x, int y)
{
	const Rgba brick = Opaque(46, 50, 78);
	const Rgba mortar = Opaque(28, 30, 50);
	const int row = y / 8;
	const int bx = (x + (row % 2) * 8) % 16;
	const int by = y % 8;
	if (by == 7 || bx == 15)
	{
		return mortar;
	}
	const int brickSeed = (x + (row % 2) * 8) / 16 + row * 7;
	Rgba c = Shade(brick, (Noise(brickSeed, row, 3) % 9) - 4 + (Noise(x, y, 1) % 7) - 3);
	if (by == 0)
	{
		c = Shade(c, 8);
	}
	return c;
}

Rgba RockPixel(int x, int y, int seed, Rgba base)
{
	Rgba c = Shade(base, (Noise(x, y, seed) % 17) - 8);
	// Scattered darker pebbles break up the flat colour.
	if (Noise(x / 3, y / 3, seed + 5) > 228)
	{
		c = Shade(c, -22);
	}
	return c;
}

// The frame's pixel (x, y), image rows from the top.
using FramePainter = std::function<Rgba(int x, int y)>;

void PaintFrame(Canvas& sheet, int frame, const FramePainter& painter)
{
	const int left = (frame % Columns) * FrameSize;
	const int top = (frame / Columns) * FrameSize;
	for (int y = 0; y < FrameSize; ++y)
	{
		for (int x = 0; x < FrameSize; ++x)
		{
			sheet.Set(left + x, top + y, painter(x, y));
		}
	}
}

void PlaceSprite(Canvas& sheet, int frame, const Canvas& sprite)
{
	sheet.CopyRect(sprite, 0, 0, FrameSize, FrameSize, (frame % Columns) * FrameSize,
		(frame / Columns) * FrameSize);
}

const Rgba RockColour = Opaque(124, 100, 74);

Rgba BlockPixel(int x, int y)
{
	Rgba c = RockPixel(x, y, 11, RockColour);
	if (y <= 1 || x <= 1)
	{
		c = Shade(c, 26);
	}
	else if (y >= 30 || x >= 30)
	{
		c = Shade(c, -30);
	}
	return c;
}

// A half-solid tile: rock where solid(x, y) holds, the background elsewhere,
// and a rim along the diagonal: moss on a floor, shadow under a ceiling.
void PaintSlope(Canvas& sheet, int frame, const std::function<bool(int, int)>& solid,
	const std::function<bool(int, int)>& onDiagonal, bool floor)
{
	PaintFrame(sheet, frame, [&](int x, int y) {
		if (!solid(x, y))
		{
			return BackgroundPixel(x, y);
		}
		if (onDiagonal(x, y))
		{
			return floor ? Opaque(96, 170, 70) : Opaque(60, 46, 34);
		}
		Rgba c = RockPixel(x, y, 11, RockColour);
		const bool nearRim = onDiagonal(x + 1, y) || onDiagonal(x - 1, y) || onDiagonal(x, y + 1)
			|| onDiagonal(x, y - 1);
		if (nearRim)
		{
			c = floor ? Opaque(70, 130, 52) : Shade(c, -24);
		}
		return c;
	});
}

void PaintTerrain(Canvas& sheet)
{
	PaintFrame(sheet, RockOutside, [](int x, int y) { return RockPixel(x, y, 17, Opaque(78, 64, 50)); });
	PaintFrame(sheet, Background, BackgroundPixel);
	PaintFrame(sheet, RockBlock, BlockPixel);

	// The variant background carries a torch on its wall.
	Canvas torch(FrameSize, FrameSize);
	for (int y = 0; y < FrameSize; ++y)
	{
		for (int x = 0; x < FrameSize; ++x)
		{
			torch.Set(x, y, BackgroundPixel(x, y));
		}
	}
	torch.FillCircle(16.0f, 13.0f, 11.0f, Rgba{255, 170, 60, 36});
	torch.FillCircle(16.0f, 13.0f, 7.0f, Rgba{255, 190, 80, 40});
	torch.FillRect(15, 16, 3, 9, Opaque(96, 62, 34));
	torch.FillRect(13, 22, 7, 2, Opaque(70, 70, 80));
	torch.FillRect(14, 15, 5, 2, Opaque(70, 70, 80));
	torch.FillEllipse(16.5f, 11.0f, 3.5f, 5.0f, Opaque(230, 90, 20));
	torch.FillEllipse(16.5f, 12.5f, 2.2f, 3.2f, Opaque(255, 180, 40));
	torch.FillEllipse(16.5f, 13.5f, 1.2f, 1.8f, Opaque(255, 245, 170));
	PlaceSprite(sheet, BackgroundVariant, torch);

	// Solid halves, in image rows (y down): the diagonal pixels, whose centres
	// lie on the tile's diagonal, count as rock.
	PaintSlope(sheet, CeilingLeft, [](int x, int y) { return x + y <= 31; },
		[](int x, int y) { return x + y == 31; }, false);
	PaintSlope(sheet, CeilingRight, [](int x, int y) { return x >= y; }, [](int x, int y) { return x == y; },
		false);
	PaintSlope(sheet, FloorRising, [](int x, int y) { return x + y >= 31; },
		[](int x, int y) { return x + y == 31; }, true);
	PaintSlope(sheet, FloorFalling, [](int x, int y) { return x <= y; }, [](int x, int y) { return x == y; },
		true);
}

struct FigureColours
{
	Rgba armour;
	Rgba tabard;
	Rgba plume;
	Rgba emblem;
};

// An armoured figure facing right: visor on the right, plume trailing left.
Canvas ArmouredFigure(const FigureColours& colours)
{
	Canvas c(FrameSize, FrameSize);
	const Rgba dark = Shade(colours.armour, -60);
	c.FillRect(12, 24, 3, 5, dark);
	c.FillRect(17, 24, 3, 5, dark);
	c.FillRect(11, 29, 4, 2, Opaque(56, 50, 54));
	c.FillRect(17, 29, 5, 2, Opaque(56, 50, 54));
	c.FillRect(8, 15, 3, 7, Shade(colours.armour, -40));
	c.FillEllipse(16.0f, 19.0f, 6.0f, 6.0f, colours.armour);
	c.FillRect(10, 19, 12, 6, colours.armour);
	c.FillRect(12, 16, 8, 10, colours.tabard);
	c.FillRect(12, 23, 8, 1, Shade(colours.tabard, -40));
	c.FillRect(15, 17, 2, 5, colours.emblem);
	c.FillRect(14, 18, 4, 1, colours.emblem);
	c.FillRect(20, 16, 3, 6, Shade(colours.armour, 20));
	c.FillRect(21, 21, 3, 2, Shade(colours.armour, -30));
	c.FillEllipse(10.0f, 4.0f, 5.0f, 2.2f, colours.plume);
	c.FillEllipse(7.0f, 6.5f, 3.0f, 2.0f, Shade(colours.plume, -30));
	c.FillEllipse(16.0f, 9.0f, 6.0f, 6.0f, colours.armour);
	c.FillEllipse(14.5f, 9.5f, 4.0f, 5.0f, Shade(colours.armour, -18));
	c.FillEllipse(17.0f, 7.0f, 2.5f, 2.0f, Shade(colours.armour, 40));
	c.FillRect(17, 9, 5, 2, Opaque(24, 22, 30));
	c.Set(19, 12, Opaque(24, 22, 30));
	c.Set(21, 12, Opaque(24, 22, 30));
	c.Outline(Ink);
	return c;
}

Canvas ArcherFigure()
{
	Canvas c(FrameSize, FrameSize);
	const Rgba hood = Opaque(58, 126, 58);
	const Rgba skin = Opaque(236, 188, 150);
	c.FillRect(7, 12, 4, 11, Opaque(120, 76, 40));
	c.Line(8.0f, 12.0f, 6.0f, 8.0f, 1.0f, Opaque(230, 230, 220));
	c.Line(10.0f, 12.0f, 9.0f, 7.5f, 1.0f, Opaque(200, 60, 50));
	c.FillRect(12, 24, 3, 5, Opaque(96, 68, 44));
	c.FillRect(17, 24, 3, 5, Opaque(96, 68, 44));
	c.FillRect(11, 29, 4, 2, Opaque(60, 40, 26));
	c.FillRect(17, 29, 5, 2, Opaque(60, 40, 26));
	c.FillPolygon({11.0f, 15.0f, 21.0f, 15.0f, 22.0f, 26.0f, 10.0f, 26.0f}, Shade(hood, -10));
	c.FillRect(11, 21, 11, 2, Opaque(110, 70, 36));
	c.FillRect(16, 21, 2, 2, Opaque(220, 190, 80));
	c.FillRect(20, 16, 3, 4, Shade(hood, -30));
	c.FillRect(21, 19, 3, 3, skin);
	c.FillPolygon({8.0f, 3.0f, 14.0f, 4.0f, 12.0f, 9.0f}, Shade(hood, -20));
	c.FillEllipse(16.0f, 9.5f, 6.0f, 6.0f, hood);
	c.FillEllipse(19.0f, 10.5f, 3.5f, 4.0f, skin);
	c.Set(20, 9, Opaque(30, 24, 20));
	c.FillRect(19, 13, 2, 1, Opaque(170, 100, 90));
	c.Outline(Ink);
	return c;
}

// Zombies never turn, so the zombie looks straight out at the player.
Canvas ZombieFigure()
{
	Canvas c(FrameSize, FrameSize);
	const Rgba flesh = Opaque(126, 176, 104);
	const Rgba rags = Opaque(92, 96, 118);
	c.Line(10.0f, 16.0f, 4.0f, 20.0f, 3.0f, rags);
	c.Line(22.0f, 16.0f, 28.0f, 20.0f, 3.0f, rags);
	c.FillCircle(3.5f, 21.0f, 2.2f, flesh);
	c.FillCircle(28.5f, 21.0f, 2.2f, flesh);
	c.FillPolygon({9.0f, 14.0f, 23.0f, 14.0f, 24.0f, 27.0f, 22.0f, 31.0f, 19.5f, 27.0f, 17.0f, 31.0f, 14.5f,
					  27.0f, 12.0f, 31.0f, 9.5f, 27.0f, 8.0f, 30.0f},
		rags);
	c.FillRect(11, 19, 10, 1, Shade(rags, -25));
	c.Line(14.0f, 22.0f, 18.0f, 25.0f, 1.0f, Shade(rags, -25));
	c.FillEllipse(16.0f, 9.0f, 6.5f, 6.5f, flesh);
	c.FillEllipse(16.0f, 5.0f, 5.0f, 2.0f, Shade(flesh, -30));
	c.FillRect(11, 7, 4, 3, Opaque(30, 20, 20));
	c.FillRect(18, 7, 4, 3, Opaque(30, 20, 20));
	c.FillRect(12, 8, 2, 1, Opaque(255, 70, 40));
	c.FillRect(19, 8, 2, 1, Opaque(255, 70, 40));
	c.FillRect(13, 12, 6, 3, Opaque(50, 20, 24));
	c.Set(14, 12, Opaque(240, 236, 200));
	c.Set(17, 12, Opaque(240, 236, 200));
	c.Outline(Ink);
	return c;
}

// Image-space point at distance along a direction from a centre.
struct Point
{
	float x;
	float y;
};

Point Along(Point centre, Point u, float a, Point v, float b)
{
	return Point{centre.x + u.x * a + v.x * b, centre.y + u.y * a + v.y * b};
}

// The bow is drawn turned by three-eighths of a turn more than its aim, so
// in the sheet it aims down and to the left (image y down: (-1, 1)): limbs
// bulge that way, the string lies behind, an arrow on the string points there.
Canvas BowSprite()
{
	Canvas c(FrameSize, FrameSize);
	const float s = std::sqrt(0.5f);
	const Point centre{16.0f, 16.0f};
	const Point aim{-s, s};
	const Point across{s, s};
	const Point tipA = Along(centre, across, 13.0f, aim, -3.0f);
	const Point tipB = Along(centre, across, -13.0f, aim, -3.0f);
	c.Line(tipA.x, tipA.y, tipB.x, tipB.y, 1.0f, Opaque(236, 232, 210));
	const Point nock = Along(centre, aim, -3.0f, across, 0.0f);
	const Point head = Along(centre, aim, 11.0f, across, 0.0f);
	c.Line(nock.x, nock.y, head.x, head.y, 1.0f, Opaque(170, 130, 80));
	const Point tip = Along(centre, aim, 14.5f, across, 0.0f);
	const Point barbA = Along(centre, aim, 10.0f, across, 2.5f);
	const Point barbB = Along(centre, aim, 10.0f, across, -2.5f);
	c.FillPolygon({tip.x, tip.y, barbA.x, barbA.y, barbB.x, barbB.y}, Opaque(200, 204, 214));
	const int segments = 16;
	for (int i = 0; i < segments; ++i)
	{
		const float t0 = -1.0f + 2.0f * i / segments;
		const float t1 = -1.0f + 2.0f * (i + 1) / segments;
		const Point a = Along(centre, across, 13.0f * t0, aim, 6.0f - 9.0f * t0 * t0);
		const Point b = Along(centre, across, 13.0f * t1, aim, 6.0f - 9.0f * t1 * t1);
		const float thickness = 3.2f - 1.4f * std::fabs(t0 + t1) * 0.5f;
		c.Line(a.x, a.y, b.x, b.y, thickness, Opaque(150, 96, 44));
	}
	const Point grip = Along(centre, aim, 6.0f, across, 0.0f);
	c.FillCircle(grip.x, grip.y, 2.0f, Opaque(80, 44, 30));
	c.Outline(Ink);
	return c;
}

// The mace is drawn turned so that the sheet's up-and-right points away from
// the knight; the head sits on the anchor (20, 19 from the lower left) and
// the handle runs back down to the left.
Canvas MaceSprite()
{
	Canvas c(FrameSize, FrameSize);
	const Point head{20.0f, 13.0f};
	c.Line(17.0f, 16.0f, 6.5f, 26.5f, 3.0f, Opaque(130, 84, 40));
	c.Line(9.0f, 24.0f, 6.5f, 26.5f, 3.2f, Opaque(70, 40, 30));
	c.FillCircle(5.5f, 27.5f, 1.8f, Opaque(170, 170, 180));
	for (int k = 0; k < 8; ++k)
	{
		const float angle = k * Pi / 4.0f + Pi / 8.0f;
		const Point u{std::cos(angle), std::sin(angle)};
		const Point n{-u.y, u.x};
		const Point tip = Along(head, u, 8.5f, n, 0.0f);
		const Point a = Along(head, u, 4.0f, n, 1.6f);
		const Point b = Along(head, u, 4.0f, n, -1.6f);
		c.FillPolygon({tip.x, tip.y, a.x, a.y, b.x, b.y}, Opaque(186, 186, 198));
	}
	c.FillCircle(head.x, head.y, 5.2f, Opaque(130, 130, 146));
	c.FillCircle(head.x - 1.5f, head.y - 1.5f, 2.2f, Opaque(206, 206, 220));
	c.Outline(Ink);
	return c;
}

Canvas FireballSprite()
{
	Canvas c(FrameSize, FrameSize);
	c.FillCircle(16.0f, 16.0f, 13.0f, Rgba{255, 120, 30, 50});
	for (int k = 0; k < 10; ++k)
	{
		const float angle = k * 2.0f * Pi / 10.0f;
		const float reach = 8.0f + static_cast<float>(Noise(k, 0, 37) % 4);
		c.FillCircle(16.0f + std::cos(angle) * reach, 16.0f + std::sin(angle) * reach, 2.6f,
			Opaque(232, 84, 24));
	}
	c.FillCircle(16.0f, 16.0f, 9.0f, Opaque(236, 96, 24));
	c.FillCircle(16.0f, 16.0f, 6.8f, Opaque(252, 160, 40));
	c.FillCircle(15.0f, 15.0f, 4.0f, Opaque(255, 228, 120));
	c.FillCircle(14.5f, 14.5f, 1.8f, Opaque(255, 252, 220));
	return c;
}

// Seen edge-on: 8 pixels wide (columns 12 to 19) and the full 32 tall, its
// painted face and boss to the right, the wooden back to the left.
Canvas ShieldSprite()
{
	Canvas c(FrameSize, FrameSize);
	const Rgba face = Opaque(52, 84, 184);
	const Rgba rim = Opaque(186, 186, 198);
	c.FillRect(12, 2, 2, 28, Opaque(96, 62, 36));
	c.FillRect(14, 1, 4, 30, face);
	c.FillRect(16, 2, 1, 28, Shade(face, 40));
	c.FillRect(18, 1, 1, 30, rim);
	c.FillRect(14, 0, 4, 1, rim);
	c.FillRect(14, 31, 4, 1, rim);
	c.FillRect(12, 1, 2, 1, Opaque(60, 40, 26));
	c.FillRect(12, 30, 2, 1, Opaque(60, 40, 26));
	c.FillRect(18, 12, 2, 8, Opaque(232, 192, 64));
	c.FillRect(19, 14, 1, 4, Opaque(255, 236, 150));
	return c;
}

// The arrow's sprite points up and to the right: an arrow flying right is
// drawn turned by minus an eighth of a turn.
Canvas ArrowSprite()
{
	Canvas c(FrameSize, FrameSize);
	const Rgba feather = Opaque(206, 54, 44);
	c.FillPolygon({4.0f, 24.0f, 9.0f, 19.0f, 10.0f, 22.0f, 6.0f, 26.0f}, feather);
	c.FillPolygon({8.0f, 28.0f, 13.0f, 23.0f, 10.0f, 22.0f, 6.0f, 26.0f}, Shade(feather, -40));
	c.Line(3.5f, 28.5f, 26.0f, 6.0f, 1.6f, Opaque(176, 130, 70));
	c.FillPolygon({29.8f, 2.2f, 22.3f, 4.7f, 27.3f, 9.7f}, Opaque(206, 210, 222));
	c.Outline(Ink);
	return c;
}

void PaintSprites(Canvas& sheet)
{
	PlaceSprite(sheet, Knight,
		ArmouredFigure({Opaque(178, 184, 198), Opaque(48, 80, 176), Opaque(60, 110, 230), Opaque(236, 200, 70)}));
	PlaceSprite(sheet, FigureRed,
		ArmouredFigure({Opaque(184, 128, 72), Opaque(172, 40, 40), Opaque(220, 60, 50), Opaque(240, 220, 160)}));
	PlaceSprite(sheet, FigureGreen,
		ArmouredFigure({Opaque(112, 114, 126), Opaque(40, 132, 64), Opaque(236, 200, 60), Opaque(236, 236, 236)}));
	PlaceSprite(sheet, Archer, ArcherFigure());
	PlaceSprite(sheet, Zombie, ZombieFigure());
	PlaceSprite(sheet, Bow, BowSprite());
	PlaceSprite(sheet, Mace, MaceSprite());
	PlaceSprite(sheet, Fireball, FireballSprite());
	PlaceSprite(sheet, Shield, ShieldSprite());
	PlaceSprite(sheet, Arrow, ArrowSprite());
}

const Rgba Gold = Opaque(255, 208, 64);
const Rgba Cream = Opaque(250, 244, 224);
const Rgba Border = Opaque(26, 16, 8);

// A translucent dark band behind the words keeps them readable over the
// arena; everything around it stays fully transparent.
void Panel(Canvas& canvas, int top, int bottom)
{
	const int left = 24;
	const int right = OverlaySize - 24;
	const int radius = 16;
	for (int y = top; y < bottom; ++y)
	{
		for (int x = left; x < right; ++x)
		{
			const int cx = std::max(left + radius - x, std::max(0, x - (right - 1 - radius)));
			const int cy = std::max(top + radius - y, std::max(0, y - (bottom - 1 - radius)));
			if (cx * cx + cy * cy <= radius * radius)
			{
				canvas.Set(x, y, Rgba{10, 8, 20, 150});
			}
		}
	}
}

struct OverlayLine
{
	const char* text;
	int scale;
	Rgba colour;
};

Canvas Overlay(const std::vector<OverlayLine>& lines)
{
	Canvas canvas(OverlaySize, OverlaySize);
	const int gap = 18;
	int height = -gap;
	for (const OverlayLine& line : lines)
	{
		height += PixelFont::GlyphHeight * line.scale + gap;
	}
	const int top = (OverlaySize - height) / 2;
	Panel(canvas, top - 30, top + height + 30);
	int y = top;
	for (const OverlayLine& line : lines)
	{
		PixelFont::DrawBorderedCentred(canvas, line.text, OverlaySize / 2, y, line.scale, line.colour, Border,
			line.scale >= 6 ? 4 : 2);
		y += PixelFont::GlyphHeight * line.scale + gap;
	}
	return canvas;
}
} // namespace

const std::vector<UsedFrame>& UsedFrames()
{
	static const std::vector<UsedFrame> frames = {
		{RockOutside, 0, 0, "ROCK EDGE"},
		{BackgroundVariant, 0, 0, "WALL TORCH"},
		{Background, 0, 0, "WALL"},
		{RockBlock, 0, 0, "ROCK"},
		{CeilingLeft, 0, 0, "CEILING UL"},
		{CeilingRight, 0, 0, "CEILING UR"},
		{FloorRising, 0, 0, "FLOOR UP"},
		{FloorFalling, 0, 0, "FLOOR DOWN"},
		{Knight, 16, 16, "KNIGHT"},
		{FigureRed, 16, 16, "RED KNIGHT"},
		{FigureGreen, 16, 16, "GREEN KNIGHT"},
		{Archer, 16, 16, "ARCHER"},
		{Bow, 16, 16, "BOW"},
		{Zombie, 16, 16, "ZOMBIE"},
		{Mace, 20, 19, "MACE"},
		{Fireball, 16, 16, "FIREBALL"},
		{Shield, 16, 16, "SHIELD"},
		{Arrow, 23, 24, "ARROW"},
	};
	return frames;
}

Canvas BuildSheet()
{
	Canvas sheet(SheetWidth, SheetHeight);
	PaintTerrain(sheet);
	PaintSprites(sheet);
	return sheet;
}

Canvas BuildStartOverlay()
{
	return Overlay({{"CONTEST", 10, Gold}, {"PRESS ANY PAD BUTTON", 3, Cream}, {"OR A NUMBER KEY 1-9", 3, Cream},
		{"TO START", 3, Cream}});
}

Canvas BuildWinOverlay()
{
	return Overlay({{"VICTORY!", 9, Gold}, {"ALL ZOMBIES DEFEATED", 3, Cream}});
}

Canvas BuildEndOverlay()
{
	return Overlay({{"DEFEAT", 11, Opaque(232, 56, 40)}, {"BOTH FIGHTERS FELL", 3, Cream},
		{"PRESS R TO TRY AGAIN", 3, Cream}});
}

Canvas BuildContactSheet(const Canvas& sheet)
{
	constexpr int Zoom = 4;
	constexpr int CellWidth = 144;
	constexpr int CellHeight = 172;
	constexpr int PerRow = 6;
	constexpr int Margin = 8;
	// Part of the arena's lower left corner, one character per tile as the
	// level writes it.
	static const char* const ArenaPiece[] = {
		"X..........CXXXXXXXXXXXX",
		"X.........CXXXXXXXXXXXXX",
		"X........CXXXXXXXXXXXXXX",
		"X......CXXXXXXXXXXXXXXXX",
		"X......XXXXXXXXXXXXXXXXX",
		"XXXD...BXXXXXXXXXXXXXXXX",
		"XXXXD......BXXXXXXXXXXXA",
		"XXXXXD.......BXXXXXXXXA.",
		"XXXXXXD.................",
	};
	constexpr int PieceRows = sizeof(ArenaPiece) / sizeof(ArenaPiece[0]);
	constexpr int PieceColumns = 24;

	const std::vector<UsedFrame>& frames = UsedFrames();
	const int rows = (static_cast<int>(frames.size()) + PerRow - 1) / PerRow;
	const int width = std::max(PerRow * CellWidth, PieceColumns * FrameSize) + 2 * Margin;
	const int height = rows * CellHeight + PieceRows * FrameSize + 3 * Margin + 24;
	Canvas canvas(width, height);
	canvas.FillRect(0, 0, width, height, Opaque(58, 58, 64));

	for (size_t i = 0; i < frames.size(); ++i)
	{
		const UsedFrame& used = frames[i];
		const int x = Margin + static_cast<int>(i % PerRow) * CellWidth;
		const int y = Margin + static_cast<int>(i / PerRow) * CellHeight;
		// A checkerboard shows which pixels are transparent.
		for (int cy = 0; cy < FrameSize * Zoom; cy += 8)
		{
			for (int cx = 0; cx < FrameSize * Zoom; cx += 8)
			{
				const bool light = ((cx + cy) / 8) % 2 == 0;
				canvas.FillRect(x + cx, y + cy, 8, 8, light ? Opaque(150, 150, 156) : Opaque(110, 110, 118));
			}
		}
		Canvas frame(FrameSize, FrameSize);
		frame.CopyRect(sheet, (used.frame % Columns) * FrameSize, (used.frame / Columns) * FrameSize, FrameSize,
			FrameSize, 0, 0);
		canvas.Draw(frame, x, y, Zoom);
		if (used.anchorX != 0 || used.anchorY != 0)
		{
			const int ax = x + used.anchorX * Zoom;
			const int ay = y + (FrameSize - used.anchorY) * Zoom;
			canvas.FillRect(ax - 6, ay - 1, 13, 2, Opaque(255, 0, 255));
			canvas.FillRect(ax - 1, ay - 6, 2, 13, Opaque(255, 0, 255));
		}
		PixelFont::DrawText(canvas, std::to_string(used.frame), x, y + FrameSize * Zoom + 6, 2, Opaque(255, 230, 120));
		PixelFont::DrawText(canvas, used.name, x, y + FrameSize * Zoom + 26, 1, Opaque(230, 230, 236));
	}

	const int pieceTop = Margin + rows * CellHeight + 24;
	PixelFont::DrawText(canvas, "ARENA PIECE", Margin, pieceTop - 16, 1, Opaque(230, 230, 236));
	for (int row = 0; row < PieceRows; ++row)
	{
		for (int column = 0; column < PieceColumns; ++column)
		{
			int frame = RockBlock;
			switch (ArenaPiece[row][column])
			{
			case '.': frame = Background; break;
			case 'o': frame = BackgroundVariant; break;
			case 'A': frame = CeilingLeft; break;
			case 'B': frame = CeilingRight; break;
			case 'C': frame = FloorRising; break;
			case 'D': frame = FloorFalling; break;
			default: break;
			}
			canvas.CopyRect(sheet, (frame % Columns) * FrameSize, (frame / Columns) * FrameSize, FrameSize,
				FrameSize, Margin + column * FrameSize, pieceTop + row * FrameSize);
		}
	}
	return canvas;
}
} // namespace SheetArt
