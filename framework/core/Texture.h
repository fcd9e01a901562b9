#pragma once

// An OpenGL texture and the size of the image it came from. The all-zero
// record stands for no texture.
struct Texture
{
	int width = 0;
	int height = 0;
	unsigned int id = 0;
};

inline bool operator==(const Texture& a, const Texture& b)
{
	return a.width == b.width && a.height == b.height && a.id == b.id;
}

// Texture coordinates of one frame of a sheet of equal frames laid out left
// to right, top to bottom; t = 0 is the image's top edge.
struct SheetFrame
{
	float s0 = 0.0f;
	float t0 = 0.0f;
	float s1 = 0.0f;
	float t1 = 0.0f;
};

// Finds frame number frame of a sheet whose frames are frameWidth x
// frameHeight pixels. False, and nothing written, when the texture does not
// hold one whole frame (the empty record among them), since the column count
// would then be zero.
bool LocateSheetFrame(const Texture& texture, float frameWidth, float frameHeight, unsigned int frame,
	SheetFrame* result);
