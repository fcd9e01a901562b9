#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgba
{
	uint8_t r = 0;
	uint8_t g = 0;
	uint8_t b = 0;
	uint8_t a = 0;
};

constexpr Rgba Opaque(int r, int g, int b)
{
	return Rgba{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 255};
}

// An RGBA picture with its origin at the top-left pixel, y downward, and the
// few drawing operations the art needs. Shapes are sampled at pixel centres,
// so a shape that covers a centre paints that whole pixel: hard pixel-art
// edges, and exactly reproducible output.
class Canvas
{
public:
	Canvas(int width, int height);

	int Width() const { return width; }
	int Height() const { return height; }
	Rgba Get(int x, int y) const;
	// Writes the pixel; coordinates outside the canvas are ignored.
	void Set(int x, int y, Rgba colour);
	// Composites colour over the pixel with its alpha.
	void Blend(int x, int y, Rgba colour);

	void FillRect(int x, int y, int w, int h, Rgba colour);
	void FillEllipse(float cx, float cy, float rx, float ry, Rgba colour);
	void FillCircle(float cx, float cy, float r, Rgba colour) { FillEllipse(cx, cy, r, r, colour); }
	// Convex or concave polygon, even-odd rule; points as x0, y0, x1, y1, ...
	void FillPolygon(const std::vector<float>& points, Rgba colour);
	// A line of the given thickness with round ends.
	void Line(float x0, float y0, float x1, float y1, float thickness, Rgba colour);
	// Paints colour on every transparent pixel next to an opaque one, so
	// sprites read against any background.
	void Outline(Rgba colour);
	// Copies source scaled by an integer factor with its top-left at (x, y),
	// compositing over what is there.
	void Draw(const Canvas& source, int x, int y, int factor);
	// Copies a rectangle of source to (x, y) unscaled, replacing pixels.
	void CopyRect(const Canvas& source, int sx, int sy, int w, int h, int x, int y);

	// Writes an 8-bit RGBA PNG; false on failure.
	bool WritePng(const std::string& path) const;

private:
	int width;
	int height;
	std::vector<Rgba> pixels;
};
