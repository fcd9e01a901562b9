#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "framework/core/DebugDraw.h"
#include "tests/support/TestApp.h"
#include "game/assets/TextureCache.h"
#include "tests/support/AssetDir.h"
#include "tests/support/GlWindow.h"

namespace
{
// --- A tiny PNG writer (stored deflate blocks), so the tests can hand the
// real loader images with exactly known pixels.

uint32_t Crc32(const uint8_t* data, size_t size)
{
	uint32_t crc = 0xFFFFFFFFu;
	for (size_t i = 0; i < size; ++i)
	{
		crc ^= data[i];
		for (int k = 0; k < 8; ++k)
		{
			crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
		}
	}
	return ~crc;
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v)
{
	for (int shift = 24; shift >= 0; shift -= 8)
	{
		out.push_back(static_cast<uint8_t>(v >> shift));
	}
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
	PutBe32(out, static_cast<uint32_t>(data.size()));
	std::vector<uint8_t> body(type, type + 4);
	body.insert(body.end(), data.begin(), data.end());
	out.insert(out.end(), body.begin(), body.end());
	PutBe32(out, Crc32(body.data(), body.size()));
}

// colourType 6 (RGBA), 2 (RGB) or 3 (palette); rows top first.
void WritePng(const std::string& path, int width, int height, int colourType, const std::vector<uint8_t>& pixels,
	const std::vector<uint8_t>& palette = {})
{
	const int channels = colourType == 6 ? 4 : colourType == 2 ? 3 : 1;
	std::vector<uint8_t> raw;
	for (int y = 0; y < height; ++y)
	{
		raw.push_back(0);
		raw.insert(raw.end(), pixels.begin() + y * width * channels, pixels.begin() + (y + 1) * width * channels);
	}
	std::vector<uint8_t> zlib = {0x78, 0x01};
	zlib.push_back(1);
	const uint16_t length = static_cast<uint16_t>(raw.size());
	zlib.push_back(static_cast<uint8_t>(length));
	zlib.push_back(static_cast<uint8_t>(length >> 8));
	zlib.push_back(static_cast<uint8_t>(~length));
	zlib.push_back(static_cast<uint8_t>(static_cast<uint16_t>(~length) >> 8));
	zlib.insert(zlib.end(), raw.begin(), raw.end());
	uint32_t a = 1;
	uint32_t b = 0;
	for (uint8_t byte : raw)
	{
		a = (a + byte) % 65521;
		b = (b + a) % 65521;
	}
	PutBe32(zlib, (b << 16) | a);

	std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
	std::vector<uint8_t> header;
	PutBe32(header, static_cast<uint32_t>(width));
	PutBe32(header, static_cast<uint32_t>(height));
	header.insert(header.end(), {8, static_cast<uint8_t>(colourType), 0, 0, 0});
	PutChunk(png, "IHDR", header);
	if (!palette.empty())
	{
		PutChunk(png, "PLTE", palette);
	}
	PutChunk(png, "IDAT", zlib);
	PutChunk(png, "IEND", {});
	std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
		static_cast<std::streamsize>(png.size()));
}

// A scratch working directory with an empty Textures folder.
class ScratchDir
{
public:
	ScratchDir()
	{
		char pattern[] = "/tmp/texture-test-XXXXXX";
		path = mkdtemp(pattern);
		EXPECT_EQ(0, chdir(path.c_str()));
		EXPECT_EQ(0, std::system(("mkdir -p " + path + "/Textures").c_str()));
	}
	~ScratchDir()
	{
		EnterAssetDir();
		std::system(("rm -rf " + path).c_str());
	}
	std::string Image(const std::string& name) const { return path + "/Textures/" + name + ".png"; }

private:
	std::string path;
};

// Level 0 of a texture as RGBA bytes.
std::vector<uint8_t> ReadTexture(const Texture& texture)
{
	glBindTexture(GL_TEXTURE_2D, texture.id);
	GLint width = 0;
	GLint height = 0;
	glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
	glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
	EXPECT_EQ(texture.width, width);
	EXPECT_EQ(texture.height, height);
	std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
	return pixels;
}
} // namespace

TEST(TextureCache, LoadsAnImageOnceAndReturnsEqualRecords)
{
	EnsureGlWindow();
	EnterAssetDir();
	const int before = textureCache.Count();
	const Texture first = GetTexture("tiles");
	EXPECT_EQ(512, first.width);
	EXPECT_EQ(256, first.height);
	EXPECT_NE(0u, first.id);
	GLint bound = 0;
	glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
	EXPECT_EQ(static_cast<GLint>(first.id), bound) << "a fresh load leaves its texture bound";
	EXPECT_TRUE(glIsTexture(first.id));

	const Texture second = GetTexture("tiles");
	EXPECT_EQ(first, second);
	EXPECT_EQ(before + 1, textureCache.Count());

	for (const char* overlay : {"start", "win", "end"})
	{
		const Texture texture = GetTexture(overlay);
		EXPECT_GT(texture.width, 0) << overlay;
		EXPECT_EQ(texture.width, texture.height) << overlay;
	}
}

TEST(TextureCache, TheNoTextureNameAndMissingImagesGiveTheEmptyRecordAndAreNotKept)
{
	EnsureGlWindow();
	ScratchDir scratch;
	const int before = textureCache.Count();
	EXPECT_EQ(Texture(), GetTexture("-"));
	EXPECT_EQ(Texture(), GetTexture("late"));
	EXPECT_EQ(before, textureCache.Count());

	// Nothing remembered the failure: once the file exists it loads.
	WritePng(scratch.Image("late"), 1, 1, 6, {10, 20, 30, 255});
	const Texture late = GetTexture("late");
	EXPECT_EQ(1, late.width);
	EXPECT_NE(0u, late.id);
	EXPECT_EQ(before + 1, textureCache.Count());

	// A file that is not an image fails quietly too.
	std::ofstream(scratch.Image("garbage")) << "not a picture";
	EXPECT_EQ(Texture(), GetTexture("garbage"));
}

TEST(TextureCache, PixelFormatsAndPremultiplication)
{
	EnsureGlWindow();
	ScratchDir scratch;

	// Colour times alpha, shifted down: opaque 255 becomes 254, alpha 0 black.
	// (Power-of-two sizes: the mipmap builder would resample any other.)
	WritePng(scratch.Image("rgba"), 4, 1, 6,
		{255, 255, 255, 255, 200, 100, 50, 0, 200, 100, 50, 128, 0, 255, 7, 255});
	const std::vector<uint8_t> rgba = ReadTexture(GetTexture("rgba"));
	EXPECT_EQ((std::vector<uint8_t>{254, 254, 254, 255, 0, 0, 0, 0, 100, 50, 25, 128, 0, 254, 6, 255}), rgba);

	// Three-byte pixels go up unchanged, and the channels stay in order.
	WritePng(scratch.Image("rgb"), 2, 1, 2, {255, 10, 20, 1, 2, 3});
	const std::vector<uint8_t> rgb = ReadTexture(GetTexture("rgb"));
	EXPECT_EQ((std::vector<uint8_t>{255, 10, 20, 255, 1, 2, 3, 255}), rgb);

	// A palette image warns and still arrives with the right colours.
	WritePng(scratch.Image("palette"), 2, 1, 3, {1, 0}, {0, 0, 0, 255, 128, 0});
	testing::internal::CaptureStdout();
	const Texture palette = GetTexture("palette");
	const std::string output = testing::internal::GetCapturedStdout();
	EXPECT_EQ("warning: the image is not truecolor..  this will probably break\n", output);
	ASSERT_EQ(2, palette.width);
	const std::vector<uint8_t> fromPalette = ReadTexture(palette);
	EXPECT_NEAR(255, fromPalette[0], 1);
	EXPECT_NEAR(128, fromPalette[1], 1);
	EXPECT_EQ(0, fromPalette[4]);
	EXPECT_EQ(255, fromPalette[3]);

	// Mipmapped and smoothed, as every sprite is drawn scaled.
	glBindTexture(GL_TEXTURE_2D, GetTexture("rgba").id);
	GLint minFilter = 0;
	GLint magFilter = 0;
	glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
	glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
	EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, minFilter);
	EXPECT_EQ(GL_LINEAR, magFilter);
}

TEST(SheetFrames, FramesRunLeftToRightThenTopToBottom)
{
	const Texture sheet{512, 256, 1};
	SheetFrame f;
	ASSERT_TRUE(LocateSheetFrame(sheet, 32.0f, 32.0f, 17, &f));
	EXPECT_FLOAT_EQ(0.0625f, f.s0);
	EXPECT_FLOAT_EQ(0.125f, f.s1);
	EXPECT_FLOAT_EQ(0.125f, f.t0);
	EXPECT_FLOAT_EQ(0.25f, f.t1);

	ASSERT_TRUE(LocateSheetFrame(sheet, 32.0f, 32.0f, 15, &f));
	EXPECT_FLOAT_EQ(0.9375f, f.s0);
	EXPECT_FLOAT_EQ(1.0f, f.s1);
	EXPECT_FLOAT_EQ(0.0f, f.t0);
	ASSERT_TRUE(LocateSheetFrame(sheet, 32.0f, 32.0f, 103, &f));
	EXPECT_FLOAT_EQ(7.0f / 16.0f, f.s0);
	EXPECT_FLOAT_EQ(6.0f / 8.0f, f.t0);

	// A width that is not a whole number of frames drops the partial column.
	ASSERT_TRUE(LocateSheetFrame(Texture{100, 32, 1}, 32.0f, 32.0f, 3, &f));
	EXPECT_FLOAT_EQ(0.0f, f.s0);
	EXPECT_FLOAT_EQ(1.0f, f.t0);
}

TEST(SheetFrames, ATextureWithoutAWholeFrameHasNoFrames)
{
	SheetFrame f;
	EXPECT_FALSE(LocateSheetFrame(Texture(), 32.0f, 32.0f, 0, &f));
	EXPECT_FALSE(LocateSheetFrame(Texture{16, 256, 1}, 32.0f, 32.0f, 0, &f));
	EXPECT_FALSE(LocateSheetFrame(Texture{512, 256, 1}, 0.0f, 32.0f, 0, &f));
}

namespace
{
// Draws in window pixels: one world unit is one pixel, origin lower left.
class SpriteDrawing : public testing::Test
{
protected:
	static constexpr int FrameSide = 32;

	void SetUp() override
	{
		EnsureGlWindow();
		width = glutGet(GLUT_WINDOW_WIDTH);
		height = glutGet(GLUT_WINDOW_HEIGHT);
		glViewport(0, 0, width, height);
		glMatrixMode(GL_PROJECTION);
		glLoadIdentity();
		gluOrtho2D(0, width, 0, height);
		glMatrixMode(GL_MODELVIEW);
		glLoadIdentity();
		glDrawBuffer(GL_BACK);
		glReadBuffer(GL_BACK);
		glClearColor(0, 0, 0, 1);
		glClear(GL_COLOR_BUFFER_BIT);

		// Two frames of 32 x 32: frame 0 red on its left half and green on
		// its right; frame 1 blue on its top half and white below.
		std::vector<uint8_t> pixels(2 * FrameSide * FrameSide * 4);
		for (int y = 0; y < FrameSide; ++y)
		{
			for (int x = 0; x < 2 * FrameSide; ++x)
			{
				uint8_t* p = &pixels[(y * 2 * FrameSide + x) * 4];
				const bool frame1 = x >= FrameSide;
				const bool first = frame1 ? y < FrameSide / 2 : x < FrameSide / 2;
				p[0] = frame1 ? (first ? 0 : 255) : (first ? 255 : 0);
				p[1] = frame1 ? (first ? 0 : 255) : (first ? 0 : 255);
				p[2] = frame1 ? 255 : 0;
				p[3] = 255;
			}
		}
		glGenTextures(1, &id);
		glBindTexture(GL_TEXTURE_2D, id);
		glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
		glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
		glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2 * FrameSide, FrameSide, 0, GL_RGBA, GL_UNSIGNED_BYTE,
			pixels.data());
		sheet = Texture{2 * FrameSide, FrameSide, id};

		glPushAttrib(GL_ALL_ATTRIB_BITS);
		glEnable(GL_TEXTURE_2D);
		glEnable(GL_BLEND);
		glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	}

	void TearDown() override
	{
		glPopAttrib();
		glDeleteTextures(1, &id);
	}

	void Draw(const b2Vec2& position, const b2Vec2& anchor, const b2Vec2& scale, float angle, unsigned int frame,
		const b2Color& colour = b2Color(1, 1, 1), float alpha = 1.0f)
	{
		draw.DrawSpriteFrame(sheet, b2Vec2(FrameSide, FrameSide), position, anchor, scale, angle, colour, alpha,
			frame);
	}

	void ReadBack()
	{
		glFinish();
		framebuffer.assign(static_cast<size_t>(width) * height * 4, 0);
		glPixelStorei(GL_PACK_ALIGNMENT, 1);
		glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, framebuffer.data());
	}

	const uint8_t* At(int x, int y) const { return &framebuffer[(static_cast<size_t>(y) * width + x) * 4]; }
	bool Lit(int x, int y) const { return At(x, y)[0] + At(x, y)[1] + At(x, y)[2] > 0; }

	// Bounding box of lit pixels as [x0, x1) x [y0, y1).
	void LitBox(int* x0, int* y0, int* x1, int* y1) const
	{
		*x0 = width;
		*y0 = height;
		*x1 = 0;
		*y1 = 0;
		for (int y = 0; y < height; ++y)
		{
			for (int x = 0; x < width; ++x)
			{
				if (Lit(x, y))
				{
					*x0 = std::min(*x0, x);
					*y0 = std::min(*y0, y);
					*x1 = std::max(*x1, x + 1);
					*y1 = std::max(*y1, y + 1);
				}
			}
		}
	}

	bool IsRed(int x, int y) const { return At(x, y)[0] > 200 && At(x, y)[1] < 50; }
	bool IsGreen(int x, int y) const { return At(x, y)[1] > 200 && At(x, y)[0] < 50; }
	bool IsBlue(int x, int y) const { return At(x, y)[2] > 200 && At(x, y)[0] < 50; }
	bool IsWhite(int x, int y) const { return At(x, y)[0] > 200 && At(x, y)[1] > 200 && At(x, y)[2] > 200; }

	DebugDraw draw;
	Texture sheet;
	unsigned int id = 0;
	int width = 0;
	int height = 0;
	std::vector<uint8_t> framebuffer;
};

struct Box
{
	int x0, y0, x1, y1;
};
} // namespace

TEST_F(SpriteDrawing, TheAnchorLandsOnThePositionAndTheImageTopIsUp)
{
	Draw(b2Vec2(100, 100), b2Vec2(16, 16), b2Vec2(1, 1), 0.0f, 0);
	Draw(b2Vec2(200, 100), b2Vec2(0, 0), b2Vec2(1, 1), 0.0f, 1);
	ReadBack();
	Box box;
	LitBox(&box.x0, &box.y0, &box.x1, &box.y1);
	EXPECT_EQ(84, box.x0);
	EXPECT_EQ(84, box.y0);
	EXPECT_EQ(232, box.x1);
	EXPECT_EQ(132, box.y1);
	EXPECT_TRUE(IsRed(90, 100));
	EXPECT_TRUE(IsGreen(110, 100));
	EXPECT_FALSE(Lit(150, 100));
	EXPECT_TRUE(IsBlue(210, 125)) << "the frame's top rows belong at the top";
	EXPECT_TRUE(IsWhite(210, 105));
}

TEST_F(SpriteDrawing, ANegativeScaleMirrorsAboutTheAnchorOverTheSameRectangle)
{
	Draw(b2Vec2(100, 100), b2Vec2(16, 16), b2Vec2(-1, 1), 0.0f, 0);
	ReadBack();
	Box box;
	LitBox(&box.x0, &box.y0, &box.x1, &box.y1);
	EXPECT_EQ(84, box.x0);
	EXPECT_EQ(84, box.y0);
	EXPECT_EQ(116, box.x1);
	EXPECT_EQ(116, box.y1);
	EXPECT_TRUE(IsGreen(90, 100));
	EXPECT_TRUE(IsRed(110, 100));

	// Mirroring vertically turns the frame upside down in place.
	glClear(GL_COLOR_BUFFER_BIT);
	Draw(b2Vec2(100, 100), b2Vec2(16, 16), b2Vec2(1, -1), 0.0f, 1);
	ReadBack();
	LitBox(&box.x0, &box.y0, &box.x1, &box.y1);
	EXPECT_EQ(84, box.y0);
	EXPECT_EQ(116, box.y1);
	EXPECT_TRUE(IsBlue(100, 90));
	EXPECT_TRUE(IsWhite(100, 110));
}

TEST_F(SpriteDrawing, AnAngleTurnsCounterClockwiseAboutTheAnchor)
{
	// Anchor a quarter of the way in: about the anchor the frame spans
	// x -8..24 and y -8..24; a quarter turn maps (x, y) to (-y, x).
	Draw(b2Vec2(300, 200), b2Vec2(8, 8), b2Vec2(1, 1), 1.5707964f, 0);
	ReadBack();
	Box box;
	LitBox(&box.x0, &box.y0, &box.x1, &box.y1);
	EXPECT_EQ(276, box.x0);
	EXPECT_EQ(192, box.y0);
	EXPECT_EQ(308, box.x1);
	EXPECT_EQ(224, box.y1);
	// The frame's left (red) half now lies below, its right half above.
	EXPECT_TRUE(IsRed(290, 196));
	EXPECT_TRUE(IsGreen(290, 220));

	// Scale is applied before turning: a half-size frame turned a half turn.
	glClear(GL_COLOR_BUFFER_BIT);
	Draw(b2Vec2(300, 200), b2Vec2(0, 0), b2Vec2(0.5f, 0.5f), 3.1415927f, 0);
	ReadBack();
	LitBox(&box.x0, &box.y0, &box.x1, &box.y1);
	EXPECT_EQ(284, box.x0);
	EXPECT_EQ(184, box.y0);
	EXPECT_EQ(300, box.x1);
	EXPECT_EQ(200, box.y1);
}

TEST_F(SpriteDrawing, ColourTintsAndAlphaFades)
{
	Draw(b2Vec2(100, 100), b2Vec2(16, 16), b2Vec2(1, 1), 0.0f, 1, b2Color(1.0f, 0.5f, 0.25f), 0.5f);
	ReadBack();
	const uint8_t* p = At(100, 90);
	EXPECT_NEAR(128, p[0], 2);
	EXPECT_NEAR(64, p[1], 2);
	EXPECT_NEAR(32, p[2], 2);
	GLfloat current[4];
	glGetFloatv(GL_CURRENT_COLOR, current);
	EXPECT_FLOAT_EQ(0.5f, current[3]) << "the colour set for the sprite stays current";
}

TEST_F(SpriteDrawing, ATextureWithoutAWholeFrameDrawsNothing)
{
	draw.DrawSpriteFrame(Texture(), b2Vec2(32, 32), b2Vec2(100, 100), b2Vec2(16, 16), b2Vec2(1, 1), 0.0f,
		b2Color(1, 1, 1), 1.0f, 5);
	draw.DrawSpriteFrame(Texture{16, 32, id}, b2Vec2(32, 32), b2Vec2(100, 100), b2Vec2(16, 16), b2Vec2(1, 1),
		0.0f, b2Color(1, 1, 1), 1.0f, 0);
	ReadBack();
	Box box;
	LitBox(&box.x0, &box.y0, &box.x1, &box.y1);
	EXPECT_EQ(0, box.x1) << "nothing was drawn";
	GLint depth = 0;
	glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
	EXPECT_EQ(1, depth);
}

TEST_F(SpriteDrawing, AnImageFillsItsQuadTopUpAndUntinted)
{
	glColor4f(0.2f, 0.2f, 0.2f, 0.2f);
	// The whole 64 x 32 texture, stretched over 128 x 32 pixels.
	draw.DrawImage(b2Vec2(64, 16), b2Vec2(300, 300), b2Vec2(32, 8), b2Vec2(2, 2));
	ReadBack();
	Box box;
	LitBox(&box.x0, &box.y0, &box.x1, &box.y1);
	EXPECT_EQ(236, box.x0);
	EXPECT_EQ(284, box.y0);
	EXPECT_EQ(364, box.x1);
	EXPECT_EQ(316, box.y1);
	EXPECT_TRUE(IsRed(250, 300));
	EXPECT_TRUE(IsGreen(285, 300));
	EXPECT_TRUE(IsBlue(330, 310));
	EXPECT_TRUE(IsWhite(330, 290));
	GLint depth = 0;
	glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
	EXPECT_EQ(1, depth);
}

TEST(TextureCacheDeathTest, ReleasingTheCacheAfterTheWindowIsGoneDoesNotCrash)
{
	testing::FLAGS_gtest_death_test_style = "threadsafe";
	EXPECT_EXIT(
		{
			EnsureGlWindow();
			EnterAssetDir();
			if (GetTexture("tiles").id == 0)
			{
				std::exit(3);
			}
			glutDestroyWindow(GlWindowFreeglutId());
			glutMainLoopEvent();
			glutExit();
			// The process-wide cache is destroyed by exit, after the display
			// connection has been closed.
			std::exit(0);
		},
		testing::ExitedWithCode(0), "");
}
