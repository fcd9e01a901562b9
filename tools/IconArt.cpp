#include "tools/IconArt.h"

namespace IconArt
{
namespace
{
// The icon is designed on a grid of this many units a side and scaled to
// each size.
constexpr float DesignSize = 64.0f;
// The tile's margin and corner radius, in design units.
constexpr float TileMargin = 2.0f;
constexpr float CornerRadius = 10.0f;

const Rgba Ink = Opaque(20, 18, 26);
const Rgba Tile = Opaque(46, 50, 78);
const Rgba TileEdge = Opaque(28, 30, 50);
// The knight's own colours on the sprite sheet.
const Rgba Steel = Opaque(178, 184, 198);
const Rgba SteelShade = Opaque(150, 156, 172);
const Rgba SteelLight = Opaque(226, 230, 240);
const Rgba Plume = Opaque(60, 110, 230);
const Rgba PlumeShade = Opaque(40, 80, 190);
const Rgba Gold = Opaque(236, 200, 70);

// Shapes in design units on a canvas of any size.
class Pen
{
public:
	Pen(Canvas& canvas, float scale) : canvas(canvas), scale(scale) {}
	void Rect(float x0, float y0, float x1, float y1, Rgba colour)
	{
		Polygon({x0, y0, x1, y0, x1, y1, x0, y1}, colour);
	}
	void Ellipse(float cx, float cy, float rx, float ry, Rgba colour)
	{
		canvas.FillEllipse(cx * scale, cy * scale, rx * scale, ry * scale, colour);
	}
	void Polygon(std::vector<float> points, Rgba colour)
	{
		for (float& point : points)
		{
			point *= scale;
		}
		canvas.FillPolygon(points, colour);
	}
	void RoundedSquare(float margin, float radius, Rgba colour)
	{
		const float near = margin;
		const float far = DesignSize - margin;
		Rect(near + radius, near, far - radius, far, colour);
		Rect(near, near + radius, far, far - radius, colour);
		for (const float x : {near + radius, far - radius})
		{
			for (const float y : {near + radius, far - radius})
			{
				Ellipse(x, y, radius, radius, colour);
			}
		}
	}

private:
	Canvas& canvas;
	float scale;
};

// The helmet facing right, on a transparent canvas, outlined in ink.
Canvas Helmet(int size)
{
	Canvas helmet(size, size);
	Pen pen(helmet, size / DesignSize);
	pen.Ellipse(24.0f, 15.0f, 15.0f, 6.5f, Plume);
	pen.Ellipse(14.0f, 21.0f, 8.0f, 4.5f, PlumeShade);
	pen.Polygon({17.0f, 34.0f, 51.0f, 34.0f, 47.0f, 55.0f, 21.0f, 55.0f}, Steel);
	pen.Ellipse(34.0f, 33.0f, 17.0f, 17.0f, Steel);
	pen.Ellipse(29.0f, 36.0f, 10.0f, 14.0f, SteelShade);
	pen.Ellipse(39.0f, 24.0f, 5.0f, 4.0f, SteelLight);
	pen.Rect(33.0f, 30.0f, 52.0f, 36.0f, Ink);
	pen.Rect(31.0f, 16.0f, 35.0f, 30.0f, Gold);
	for (const float x : {38.0f, 44.0f})
	{
		pen.Rect(x, 41.0f, x + 3.0f, 44.0f, Ink);
	}
	helmet.Outline(Ink);
	return helmet;
}
} // namespace

const std::vector<int>& Sizes()
{
	static const std::vector<int> sizes = {16, 22, 24, 32, 48, 64, 128, 256};
	return sizes;
}

Canvas BuildIcon(int size)
{
	Canvas icon(size, size);
	Pen pen(icon, size / DesignSize);
	pen.RoundedSquare(TileMargin, CornerRadius, TileEdge);
	pen.RoundedSquare(TileMargin + 2.0f, CornerRadius - 2.0f, Tile);
	icon.Draw(Helmet(size), 0, 0, 1);
	return icon;
}
} // namespace IconArt
