#include "tools/Canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

Canvas::Canvas(int width, int height)
	: width(width)
	, height(height)
	, pixels(static_cast<size_t>(width) * height)
{
}

Rgba Canvas::Get(int x, int y) const
{
	if (x < 0 || y < 0 || x >= width || y >= height)
	{
		return Rgba();
	}
	return pixels[static_cast<size_t>(y) * width + x];
}

void Canvas::Set(int x, int y, Rgba colour)
{
	if (x < 0 || y < 0 || x >= width || y >= height)
	{
		return;
	}
	pixels[static_cast<size_t>(y) * width + x] = colour;
}

void Canvas::Blend(int x, int y, Rgba colour)
{
	if (x < 0 || y < 0 || x >= width || y >= height)
	{
		return;
	}
	Rgba& d = pixels[static_cast<size_t>(y) * width + x];
	const int sa = colour.a;
	const int da = d.a * (255 - sa) / 255;
	const int oa = sa + da;
	if (oa == 0)
	{
		d = Rgba();
		return;
	}
	auto mix = [&](int s, int t) { return static_cast<uint8_t>((s * sa + t * da + oa / 2) / oa); };
	d = Rgba{mix(colour.r, d.r), mix(colour.g, d.g), mix(colour.b, d.b), static_cast<uint8_t>(oa)};
}

void Canvas::FillRect(int x, int y, int w, int h, Rgba colour)
{
	for (int j = y; j < y + h; ++j)
	{
		for (int i = x; i < x + w; ++i)
		{
			Blend(i, j, colour);
		}
	}
}

void Canvas::FillEllipse(float cx, float cy, float rx, float ry, Rgba colour)
{
	if (rx <= 0.0f || ry <= 0.0f)
	{
		return;
	}
	const int x0 = static_cast<int>(std::floor(cx - rx));
	const int x1 = static_cast<int>(std::ceil(cx + rx));
	const int y0 = static_cast<int>(std::floor(cy - ry));
	const int y1 = static_cast<int>(std::ceil(cy + ry));
	for (int y = y0; y <= y1; ++y)
	{
		for (int x = x0; x <= x1; ++x)
		{
			const float dx = (x + 0.5f - cx) / rx;
			const float dy = (y + 0.5f - cy) / ry;
			if (dx * dx + dy * dy <= 1.0f)
			{
				Blend(x, y, colour);
			}
		}
	}
}

void Canvas::FillPolygon(const std::vector<float>& points, Rgba colour)
{
	const size_t count = points.size() / 2;
	if (count < 3)
	{
		return;
	}
	float minY = points[1];
	float maxY = points[1];
	float minX = points[0];
	float maxX = points[0];
	for (size_t i = 0; i < count; ++i)
	{
		minX = std::min(minX, points[2 * i]);
		maxX = std::max(maxX, points[2 * i]);
		minY = std::min(minY, points[2 * i + 1]);
		maxY = std::max(maxY, points[2 * i + 1]);
	}
	for (int y = static_cast<int>(std::floor(minY)); y <= static_cast<int>(std::ceil(maxY)); ++y)
	{
		for (int x = static_cast<int>(std::floor(minX)); x <= static_cast<int>(std::ceil(maxX)); ++x)
		{
			const float px = x + 0.5f;
			const float py = y + 0.5f;
			bool inside = false;
			for (size_t i = 0, j = count - 1; i < count; j = i++)
			{
				const float xi = points[2 * i];
				const float yi = points[2 * i + 1];
				const float xj = points[2 * j];
				const float yj = points[2 * j + 1];
				if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
				{
					inside = !inside;
				}
			}
			if (inside)
			{
				Blend(x, y, colour);
			}
		}
	}
}

void Canvas::Line(float x0, float y0, float x1, float y1, float thickness, Rgba colour)
{
	const float r = 0.5f * thickness;
	const int minX = static_cast<int>(std::floor(std::min(x0, x1) - r));
	const int maxX = static_cast<int>(std::ceil(std::max(x0, x1) + r));
	const int minY = static_cast<int>(std::floor(std::min(y0, y1) - r));
	const int maxY = static_cast<int>(std::ceil(std::max(y0, y1) + r));
	const float dx = x1 - x0;
	const float dy = y1 - y0;
	const float lengthSquared = dx * dx + dy * dy;
	for (int y = minY; y <= maxY; ++y)
	{
		for (int x = minX; x <= maxX; ++x)
		{
			const float px = x + 0.5f - x0;
			const float py = y + 0.5f - y0;
			float t = lengthSquared > 0.0f ? (px * dx + py * dy) / lengthSquared : 0.0f;
			t = std::max(0.0f, std::min(1.0f, t));
			const float ex = px - t * dx;
			const float ey = py - t * dy;
			if (ex * ex + ey * ey <= r * r)
			{
				Blend(x, y, colour);
			}
		}
	}
}

void Canvas::Outline(Rgba colour)
{
	std::vector<Rgba> result = pixels;
	for (int y = 0; y < height; ++y)
	{
		for (int x = 0; x < width; ++x)
		{
			if (Get(x, y).a != 0)
			{
				continue;
			}
			const bool touches = Get(x - 1, y).a > 128 || Get(x + 1, y).a > 128 || Get(x, y - 1).a > 128
				|| Get(x, y + 1).a > 128;
			if (touches)
			{
				result[static_cast<size_t>(y) * width + x] = colour;
			}
		}
	}
	pixels = result;
}

void Canvas::Draw(const Canvas& source, int x, int y, int factor)
{
	for (int j = 0; j < source.height * factor; ++j)
	{
		for (int i = 0; i < source.width * factor; ++i)
		{
			Blend(x + i, y + j, source.Get(i / factor, j / factor));
		}
	}
}

void Canvas::CopyRect(const Canvas& source, int sx, int sy, int w, int h, int x, int y)
{
	for (int j = 0; j < h; ++j)
	{
		for (int i = 0; i < w; ++i)
		{
			Set(x + i, y + j, source.Get(sx + i, sy + j));
		}
	}
}

bool Canvas::WritePng(const std::string& path) const
{
	FILE* file = std::fopen(path.c_str(), "wb");
	if (file == nullptr)
	{
		return false;
	}
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
	png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
	if (info == nullptr || setjmp(png_jmpbuf(png)))
	{
		png_destroy_write_struct(&png, &info);
		std::fclose(file);
		return false;
	}
	png_init_io(png, file);
	png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
		PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
	png_write_info(png, info);
	for (int y = 0; y < height; ++y)
	{
		png_write_row(png, reinterpret_cast<png_const_bytep>(&pixels[static_cast<size_t>(y) * width]));
	}
	png_write_end(png, nullptr);
	png_destroy_write_struct(&png, &info);
	return std::fclose(file) == 0;
}
