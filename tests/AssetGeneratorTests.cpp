#include <gtest/gtest.h>

#include <SDL2/SDL_image.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/AssetDir.h"

namespace
{
const std::string Generator = std::string(CONTEST_ASSET_DIR) + "/tools/assetgen";

const std::vector<std::string> Outputs = {"Textures/tiles.png", "Textures/start.png", "Textures/win.png",
	"Textures/end.png", "asset-sheet.png", "music.mp3", "winmusic.mp3", "Sounds/enemyhit.wav",
	"Sounds/fireball.wav", "Sounds/ghostfix.wav", "Sounds/enemydeath.wav", "Sounds/bounce.wav", "Sounds/p1.wav",
	"Sounds/p2.wav", "Sounds/mace.wav", "Sounds/arrow.wav", "Sounds/laugh.wav",
	"icons/hicolor/16x16/apps/contest.png", "icons/hicolor/22x22/apps/contest.png",
	"icons/hicolor/24x24/apps/contest.png", "icons/hicolor/32x32/apps/contest.png",
	"icons/hicolor/48x48/apps/contest.png", "icons/hicolor/64x64/apps/contest.png",
	"icons/hicolor/128x128/apps/contest.png", "icons/hicolor/256x256/apps/contest.png"};

// Every frame of the sheet the game draws: terrain by display code - 1,
// the rock outside the grid, figures, weapons and projectiles.
const std::vector<int> TerrainFrames = {0, 65, 67, 93, 101, 103, 83, 85};
const std::vector<int> SpriteFrames = {10, 12, 14, 16, 28, 30, 32, 34, 37, 41};

std::string Bytes(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	std::stringstream bytes;
	bytes << file.rdbuf();
	return bytes.str();
}

std::string MakeScratch()
{
	char pattern[] = "/tmp/assetgen-test-XXXXXX";
	return mkdtemp(pattern);
}

struct Pixel
{
	int r, g, b, a;
	bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

// An image as the game's loader sees it.
class Image
{
public:
	explicit Image(const std::string& path) : surface(IMG_Load(path.c_str())) {}
	~Image()
	{
		if (surface != nullptr)
		{
			SDL_FreeSurface(surface);
		}
	}
	bool Loaded() const { return surface != nullptr; }
	int Width() const { return surface->w; }
	int Height() const { return surface->h; }
	int BytesPerPixel() const { return surface->format->BytesPerPixel; }
	Pixel At(int x, int y) const
	{
		const uint8_t* p = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch + x * 4;
		return Pixel{p[0], p[1], p[2], p[3]};
	}
	// Pixel (x, y) of a 32 x 32 frame, rows from the frame's top.
	Pixel Frame(int frame, int x, int y) const { return At((frame % 16) * 32 + x, (frame / 16) * 32 + y); }

private:
	SDL_Surface* surface;
};

class GeneratedAssets : public testing::Test
{
protected:
	void SetUp() override { EnterAssetDir(); }
};

// Centre of the frame's pixels that match a test, in frame pixels from the top left.
template <typename Test>
bool Centroid(const Image& sheet, int frame, Test test, float* cx, float* cy)
{
	float sx = 0.0f;
	float sy = 0.0f;
	int count = 0;
	for (int y = 0; y < 32; ++y)
	{
		for (int x = 0; x < 32; ++x)
		{
			if (test(sheet.Frame(frame, x, y)))
			{
				sx += x + 0.5f;
				sy += y + 0.5f;
				++count;
			}
		}
	}
	if (count == 0)
	{
		return false;
	}
	*cx = sx / count;
	*cy = sy / count;
	return true;
}

// Blue-grey metal: arrowheads, not the cream bow string.
bool Steel(const Pixel& p)
{
	return p.a == 255 && p.r > 180 && p.b >= p.r && p.b - p.r < 30;
}
} // namespace

TEST_F(GeneratedAssets, TheGeneratorWritesTheSameBytesOnEveryRun)
{
	const std::string first = MakeScratch();
	const std::string second = MakeScratch();
	ASSERT_EQ(0, std::system((Generator + " " + first + " > /dev/null").c_str()));
	ASSERT_EQ(0, std::system((Generator + " " + second + " > /dev/null").c_str()));
	for (const std::string& file : Outputs)
	{
		const std::string bytes = Bytes(first + "/" + file);
		EXPECT_FALSE(bytes.empty()) << file;
		EXPECT_TRUE(bytes == Bytes(second + "/" + file)) << file << " differs between runs";
		EXPECT_TRUE(bytes == Bytes(file)) << file << " in the build folder is not what the generator makes";
	}
	std::system(("rm -rf " + first + " " + second).c_str());
}

TEST_F(GeneratedAssets, TheSheetHoldsEveryFrameTheGameDraws)
{
	const Image sheet("Textures/tiles.png");
	ASSERT_TRUE(sheet.Loaded());
	EXPECT_EQ(512, sheet.Width());
	EXPECT_EQ(256, sheet.Height());
	ASSERT_EQ(4, sheet.BytesPerPixel());

	for (int frame : TerrainFrames)
	{
		int opaque = 0;
		for (int y = 0; y < 32; ++y)
		{
			for (int x = 0; x < 32; ++x)
			{
				opaque += sheet.Frame(frame, x, y).a == 255 ? 1 : 0;
			}
		}
		EXPECT_EQ(32 * 32, opaque) << "terrain frame " << frame << " must cover its whole tile";
	}
	for (int frame : SpriteFrames)
	{
		int opaque = 0;
		int clear = 0;
		for (int y = 0; y < 32; ++y)
		{
			for (int x = 0; x < 32; ++x)
			{
				opaque += sheet.Frame(frame, x, y).a > 128 ? 1 : 0;
				clear += sheet.Frame(frame, x, y).a == 0 ? 1 : 0;
			}
		}
		EXPECT_GT(opaque, 100) << "sprite frame " << frame << " is (nearly) empty";
		EXPECT_GT(clear, 100) << "sprite frame " << frame << " should be transparent around its picture";
	}
}

TEST_F(GeneratedAssets, HalfSolidTilesAreRockExactlyOnTheirSolidHalf)
{
	const Image sheet("Textures/tiles.png");
	ASSERT_TRUE(sheet.Loaded());
	const int background = 67;
	// Signed distance (in pixels, positive on the solid side) of a pixel
	// centre from the tile's diagonal, with y counted upwards.
	struct Slope
	{
		int frame;
		float nx;
		float ny;
		float offset;
	};
	const float k = std::sqrt(0.5f);
	const Slope slopes[] = {
		{103, -k, k, 0.0f},  // upper left: solid above the rising diagonal
		{101, k, k, -32 * k}, // upper right: solid above the falling diagonal
		{83, k, -k, 0.0f},   // floor rising to the right: solid below and right
		{85, -k, -k, 32 * k}, // floor falling to the right: solid below and left
	};
	for (const Slope& slope : slopes)
	{
		int solid = 0;
		for (int y = 0; y < 32; ++y)
		{
			for (int x = 0; x < 32; ++x)
			{
				const float ux = x + 0.5f;
				const float uy = 32.0f - (y + 0.5f);
				const float d = slope.nx * ux + slope.ny * uy + slope.offset;
				const Pixel p = sheet.Frame(slope.frame, x, y);
				if (d < -1.5f)
				{
					EXPECT_TRUE(p == sheet.Frame(background, x, y))
						<< "frame " << slope.frame << " pixel " << x << "," << y << " should be open background";
				}
				else if (d > 1.5f)
				{
					// Rock is brown, the background wall blue.
					EXPECT_GT(p.r, p.b) << "frame " << slope.frame << " pixel " << x << "," << y << " should be rock";
					++solid;
				}
			}
		}
		EXPECT_GT(solid, 350) << slope.frame;
	}
}

TEST_F(GeneratedAssets, DirectedSpritesPointWhereTheDrawingTurnsThem)
{
	const Image sheet("Textures/tiles.png");
	ASSERT_TRUE(sheet.Loaded());
	float cx = 0.0f;
	float cy = 0.0f;
	// The arrow is drawn turned by minus an eighth of a turn from its
	// flight: its head must sit up and to the right.
	ASSERT_TRUE(Centroid(sheet, 41, Steel, &cx, &cy));
	EXPECT_GT(cx, 22.0f);
	EXPECT_LT(cy, 10.0f);
	// The bow is drawn three eighths of a turn past its aim: the arrow on it
	// points down and to the left.
	ASSERT_TRUE(Centroid(sheet, 30, Steel, &cx, &cy));
	EXPECT_LT(cx, 12.0f);
	EXPECT_GT(cy, 20.0f);
	// The mace turns about its head, at anchor (20, 19) from the lower left.
	ASSERT_TRUE(Centroid(sheet, 32, [](const Pixel& p) { return p.a == 255 && p.r > 110 && std::abs(p.r - p.b) < 30; },
		&cx, &cy));
	EXPECT_NEAR(20.0f, cx, 3.0f);
	EXPECT_NEAR(13.0f, cy, 3.0f);

	// The shield's picture is its 8 x 32 box, centred on the anchor.
	for (int y = 0; y < 32; ++y)
	{
		for (int x = 0; x < 32; ++x)
		{
			const bool inside = x >= 12 && x < 20;
			if (!inside)
			{
				EXPECT_EQ(0, sheet.Frame(34, x, y).a) << x << "," << y;
			}
		}
	}
	EXPECT_EQ(255, sheet.Frame(34, 15, 0).a);
	EXPECT_EQ(255, sheet.Frame(34, 15, 31).a);
}

TEST_F(GeneratedAssets, OverlaysShowWordsInTheMiddleAndNothingAround)
{
	for (const char* name : {"start", "win", "end"})
	{
		const Image overlay(std::string("Textures/") + name + ".png");
		ASSERT_TRUE(overlay.Loaded()) << name;
		ASSERT_EQ(4, overlay.BytesPerPixel());
		EXPECT_EQ(overlay.Width(), overlay.Height()) << "drawn as a square";
		int border = 0;
		int bright = 0;
		for (int y = 0; y < overlay.Height(); ++y)
		{
			for (int x = 0; x < overlay.Width(); ++x)
			{
				const Pixel p = overlay.At(x, y);
				const bool edge = x < 16 || y < 16 || x >= overlay.Width() - 16 || y >= overlay.Height() - 16;
				border += edge && p.a != 0 ? 1 : 0;
				bright += p.a == 255 && p.r > 200 ? 1 : 0;
			}
		}
		EXPECT_EQ(0, border) << name;
		EXPECT_GT(bright, 5000) << name << " has no legible lettering";
	}
}

namespace
{
uint32_t Le(const std::string& b, size_t at, int bytes)
{
	uint32_t v = 0;
	for (int i = bytes - 1; i >= 0; --i)
	{
		v = (v << 8) | static_cast<uint8_t>(b[at + i]);
	}
	return v;
}

// Playing time of an MPEG-1 layer III stream, walking its frame headers;
// -1 if the stream breaks off or changes sample rate.
double Mp3Seconds(const std::string& b)
{
	static const int Kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
	static const int Rates[4] = {44100, 48000, 32000, 0};
	size_t at = 0;
	long frames = 0;
	int rate = 0;
	while (at + 4 <= b.size())
	{
		const uint8_t* h = reinterpret_cast<const uint8_t*>(b.data() + at);
		if (h[0] != 0xFF || (h[1] & 0xFE) != 0xFA)
		{
			return -1.0;
		}
		const int kbps = Kbps[h[2] >> 4];
		const int frameRate = Rates[(h[2] >> 2) & 3];
		if (kbps == 0 || frameRate == 0 || (rate != 0 && frameRate != rate))
		{
			return -1.0;
		}
		rate = frameRate;
		at += static_cast<size_t>(144 * kbps * 1000 / frameRate + ((h[2] >> 1) & 1));
		++frames;
	}
	return rate == 0 || at != b.size() ? -1.0 : frames * 1152.0 / rate;
}
} // namespace

TEST_F(GeneratedAssets, EffectsAreShortSixteenBitWavesThatMakeASound)
{
	for (const char* name : {"enemyhit", "fireball", "ghostfix", "enemydeath", "bounce", "p1", "p2", "mace",
			 "arrow", "laugh"})
	{
		const std::string b = Bytes(std::string("Sounds/") + name + ".wav");
		ASSERT_GT(b.size(), 44u) << name;
		EXPECT_EQ("RIFF", b.substr(0, 4));
		EXPECT_EQ("WAVE", b.substr(8, 4));
		EXPECT_EQ(1u, Le(b, 20, 2)) << "PCM";
		EXPECT_EQ(1u, Le(b, 22, 2)) << "mono";
		EXPECT_EQ(22050u, Le(b, 24, 4));
		EXPECT_EQ(16u, Le(b, 34, 2));
		const uint32_t dataBytes = Le(b, 40, 4);
		EXPECT_EQ(b.size(), 44u + dataBytes);
		const double seconds = dataBytes / 2.0 / 22050.0;
		EXPECT_GT(seconds, 0.15) << name;
		EXPECT_LT(seconds, 2.5) << name;
		int peak = 0;
		for (size_t i = 44; i + 1 < b.size(); i += 2)
		{
			peak = std::max(peak, std::abs(static_cast<int16_t>(Le(b, i, 2))));
		}
		EXPECT_GT(peak, 15000) << name << " is too quiet";
	}
}

TEST_F(GeneratedAssets, TheMusicLoopsLastLongEnough)
{
	const double music = Mp3Seconds(Bytes("music.mp3"));
	const double fanfare = Mp3Seconds(Bytes("winmusic.mp3"));
	EXPECT_GE(music, 30.0);
	EXPECT_LT(music, 120.0);
	EXPECT_GE(fanfare, 2.0);
	EXPECT_LT(fanfare, 15.0);
}

// The menu's icon at each of the theme's sizes: a square of that size, its
// rounded corners clear, and the knight's steel helmet and blue plume still
// a fair share of the picture at the smallest.
TEST_F(GeneratedAssets, TheIconShowsTheHelmetAtEveryThemeSize)
{
	for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
	{
		const std::string side = std::to_string(size);
		const Image icon("icons/hicolor/" + side + "x" + side + "/apps/contest.png");
		ASSERT_TRUE(icon.Loaded()) << size;
		ASSERT_EQ(icon.Width(), size);
		ASSERT_EQ(icon.Height(), size);
		ASSERT_EQ(icon.BytesPerPixel(), 4);
		EXPECT_EQ(icon.At(0, 0).a, 0) << size;
		EXPECT_EQ(icon.At(size - 1, size - 1).a, 0) << size;
		int steel = 0;
		int plume = 0;
		for (int y = 0; y < size; ++y)
		{
			for (int x = 0; x < size; ++x)
			{
				const Pixel p = icon.At(x, y);
				steel += p.a == 255 && p.r > 140 && std::abs(p.r - p.g) < 12 && p.b > p.r && p.b - p.r < 30;
				plume += p.a == 255 && p.b > 180 && p.b > p.r + 100;
			}
		}
		EXPECT_GT(steel, size * size / 6) << size;
		EXPECT_GT(plume, size * size / 40) << size;
	}
}
