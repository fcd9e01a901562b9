#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/ContestRenderer.h"
#include "game/assets/TextureCache.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Other.h"
#include "game/objects/Proj.h"
#include "game/objects/Shield.h"
#include "game/objects/Zombie.h"
#include "tests/support/GameHarness.h"

namespace
{
using Sprite = ContestRenderer::Sprite;

class ContestDrawingTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		StartGameHarness();
		game = NewGame();
		ASSERT_NE(game, nullptr);
	}

	void TearDown() override
	{
		EndGame();
	}

	// Draws one frame with the camera fixed at center and zoom, as the
	// game's own step would leave it; without objects only the tiles.
	void DrawAt(const b2Vec2& center, float zoom, bool objects = true)
	{
		LookAt(center, zoom);
		const b2Vec2 lower = TestApp().GetView().ScreenToWorld(0, TestApp().GetView().WindowHeight());
		const b2Vec2 upper = TestApp().GetView().ScreenToWorld(TestApp().GetView().WindowWidth(), 0);
		renderer.Begin();
		renderer.DrawTiles(game->GetGround(), lower, upper);
		if (objects)
		{
			renderer.DrawObjects(game->GetGameWorld().objects, lower, upper);
		}
		renderer.End();
	}

	static void LookAt(const b2Vec2& center, float zoom)
	{
		TestApp().Scenes().settings.viewCenter = center;
		TestApp().GetView().SetZoom(zoom);
		TestApp().Router().Reshape(TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight());
	}

	static void Clear()
	{
		glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
		glClear(GL_COLOR_BUFFER_BIT);
	}

	// The game's objects belong to its world, where these tests pose them.
	template <class T>
	T* Posed(int32_t kind) const
	{
		for (GameObject* object : game->GetGameWorld().objects)
		{
			if (object->kind == kind)
			{
				return static_cast<T*>(object);
			}
		}
		return nullptr;
	}

	Contest* game = nullptr;
	// Draws as the game's own renderer does, in the same window.
	DebugDraw draw;
	ContestRenderer renderer{draw};
};

// RGBA pixels, rows from the bottom (the back buffer) or from the top (a
// texture).
struct Image
{
	int width = 0;
	int height = 0;
	std::vector<uint8_t> pixels;

	const uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
	// Mean colour over [x0, x1) x [y0, y1), alpha applied as over black.
	b2Color Mean(int x0, int y0, int x1, int y1) const
	{
		b2Color sum(0.0f, 0.0f, 0.0f);
		for (int y = y0; y < y1; ++y)
		{
			for (int x = x0; x < x1; ++x)
			{
				const float alpha = At(x, y)[3] / 255.0f;
				sum.r += At(x, y)[0] * alpha;
				sum.g += At(x, y)[1] * alpha;
				sum.b += At(x, y)[2] * alpha;
			}
		}
		const float n = static_cast<float>((x1 - x0) * (y1 - y0));
		return b2Color(sum.r / n, sum.g / n, sum.b / n);
	}
	// Bounding box [x0, x1) x [y0, y1) of the pixels brighter than a faint
	// edge over black.
	void LitBox(int box[4]) const
	{
		box[0] = width;
		box[1] = height;
		box[2] = 0;
		box[3] = 0;
		for (int y = 0; y < height; ++y)
		{
			for (int x = 0; x < width; ++x)
			{
				if ((At(x, y)[0] + At(x, y)[1] + At(x, y)[2]) * At(x, y)[3] / 255 > 60)
				{
					box[0] = std::min(box[0], x);
					box[1] = std::min(box[1], y);
					box[2] = std::max(box[2], x + 1);
					box[3] = std::max(box[3], y + 1);
				}
			}
		}
	}
};

Image ReadBack()
{
	Image image{TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight(), {}};
	image.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
	glFinish();
	glReadBuffer(GL_BACK);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
	for (size_t i = 3; i < image.pixels.size(); i += 4)
	{
		image.pixels[i] = 255;
	}
	return image;
}

Image TextureImage(const std::string& name)
{
	Image image;
	glBindTexture(GL_TEXTURE_2D, GetTexture(name).id);
	glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
	glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
	image.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
	return image;
}

void ExpectColor(const b2Color& c, float r, float g, float b)
{
	EXPECT_FLOAT_EQ(c.r, r);
	EXPECT_FLOAT_EQ(c.g, g);
	EXPECT_FLOAT_EQ(c.b, b);
}
} // namespace

TEST_F(ContestDrawingTest, FightersShowTheirFrameFacingHarmAndFade)
{
	Knight* knight = Posed<Knight>(KindKnight);
	knight->facing = -1.0f;
	knight->hurt = 0.25f;
	knight->fade = 0.5f;
	knight->bob = 0.2f;
	Sprite sprites[2];
	ASSERT_EQ(ContestRenderer::SpritesOf(*knight, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 16u);
	EXPECT_EQ(sprites[0].anchor, b2Vec2(16.0f, 16.0f));
	// Mirrored about its anchor.
	EXPECT_EQ(sprites[0].scale, b2Vec2(-0.1f, 0.1f));
	ExpectColor(sprites[0].color, 1.0f, 0.75f, 0.75f);
	EXPECT_FLOAT_EQ(sprites[0].alpha, 0.5f);
	EXPECT_EQ(sprites[0].cullPoint, b2Vec2(120.0f, 4.8f));
	EXPECT_EQ(sprites[0].position, b2Vec2(120.0f, 5.0f));

	const Other* first = static_cast<const Other*>(game->GetGameWorld().objects[1]);
	const Other* second = static_cast<const Other*>(game->GetGameWorld().objects[3]);
	ASSERT_EQ(ContestRenderer::SpritesOf(*first, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 10u);
	ASSERT_EQ(ContestRenderer::SpritesOf(*second, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 14u);

	// The archer's bow shows only while its body is enabled.
	Archer* archer = Posed<Archer>(KindArcher);
	ASSERT_EQ(ContestRenderer::SpritesOf(*archer, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 12u);
	archer->bowBody->SetEnabled(true);
	archer->bowBody->SetTransform(b2Vec2(140.0f, 8.0f), 0.5f);
	ASSERT_EQ(ContestRenderer::SpritesOf(*archer, sprites), 2);
	EXPECT_EQ(sprites[1].frame, 30u);
	EXPECT_EQ(sprites[1].position, b2Vec2(140.0f, 8.0f));
	EXPECT_FLOAT_EQ(sprites[1].angle, 0.5f + 2.3561926f);
	EXPECT_EQ(sprites[1].scale, b2Vec2(0.1f, 0.1f));
	ExpectColor(sprites[1].color, 1.0f, 1.0f, 1.0f);
	EXPECT_FLOAT_EQ(sprites[1].alpha, 1.0f);
}

TEST_F(ContestDrawingTest, ZombiesRedWhileChargingAndFadeWithHealth)
{
	PressKey('e');
	RunFrame();
	Zombie* zombie = static_cast<Zombie*>(game->GetGameWorld().objects.back());
	ASSERT_EQ(zombie->kind, KindZombie);
	zombie->charge = 0.5f;
	zombie->health = 0.3f;
	Sprite sprites[2];
	ASSERT_EQ(ContestRenderer::SpritesOf(*zombie, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 28u);
	ExpectColor(sprites[0].color, 1.0f, 0.5f, 0.5f);
	EXPECT_FLOAT_EQ(sprites[0].alpha, 0.3f);
	EXPECT_EQ(sprites[0].scale, b2Vec2(0.1f, 0.1f));
}

TEST_F(ContestDrawingTest, ShieldsShowOnlyWhileRaisedAndStayUprightWhenTurned)
{
	Shield* shield = game->GetKnight()->shield;
	Sprite sprites[2];
	EXPECT_EQ(ContestRenderer::SpritesOf(*shield, sprites), 0);

	b2Body* body = shield->fixture->GetBody();
	body->SetEnabled(true);
	body->SetTransform(b2Vec2(117.0f, 5.0f), b2_pi);
	shield->facing = -1.0f;
	ASSERT_EQ(ContestRenderer::SpritesOf(*shield, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 34u);
	EXPECT_EQ(sprites[0].scale, b2Vec2(0.1f, -0.1f));
	EXPECT_FLOAT_EQ(sprites[0].angle, b2_pi);
}

TEST_F(ContestDrawingTest, ProjectilesPointAlongTheirFlight)
{
	// A right-facing knight's mace swings from its start above the knight.
	Knight* knight = Posed<Knight>(KindKnight);
	knight->Attack();
	Proj* mace = static_cast<Proj*>(game->GetGameWorld().objects.back());
	ASSERT_EQ(mace->kind, KindMace);
	Sprite sprites[2];
	ASSERT_EQ(ContestRenderer::SpritesOf(*mace, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 32u);
	EXPECT_EQ(sprites[0].anchor, b2Vec2(20.0f, 19.0f));
	EXPECT_NEAR(sprites[0].angle, b2_pi / 2.0f - 0.7853975f, 1e-5f);
	knight->facing = -1.0f;
	ContestRenderer::SpritesOf(*mace, sprites);
	EXPECT_NEAR(sprites[0].angle, b2_pi / 2.0f - 2.3561926f, 1e-5f);
	EXPECT_EQ(sprites[0].scale, b2Vec2(-0.1f, 0.1f));

	// An arrow flying straight right turns an eighth of a turn clockwise.
	Posed<Archer>(KindArcher)->Shoot(b2Vec2(1.0f, 0.0f));
	Proj* arrow = static_cast<Proj*>(game->GetGameWorld().objects.back());
	ASSERT_EQ(arrow->kind, KindArrow);
	ASSERT_EQ(ContestRenderer::SpritesOf(*arrow, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 41u);
	EXPECT_EQ(sprites[0].anchor, b2Vec2(23.0f, 24.0f));
	EXPECT_FLOAT_EQ(sprites[0].angle, -0.7853975f);
	arrow->fixture->GetBody()->SetLinearVelocity(b2Vec2(0.0f, 10.0f));
	ContestRenderer::SpritesOf(*arrow, sprites);
	EXPECT_NEAR(sprites[0].angle, b2_pi / 2.0f - 0.7853975f, 1e-5f);

	// The ground is never drawn as an object.
	EXPECT_EQ(ContestRenderer::SpritesOf(game->GetGround(), sprites), 0);
}

TEST_F(ContestDrawingTest, TilesCoverTheViewWithOneTileOfMarginClippedToTheGrid)
{
	// The window is 640 x 480: at zoom 1 the view is 66.7 x 50 units.
	ASSERT_EQ(TestApp().GetView().WindowWidth(), 640);
	ASSERT_EQ(TestApp().GetView().WindowHeight(), 480);
	// Centred on the corner of tiles (40, 15): columns 28 to 51, rows 6
	// to 23.
	DrawAt(Ground::Corner(40, 15), 1.0f);
	EXPECT_EQ(renderer.tilesDrawn, 24 * 18);

	// Left of and below the arena nothing is drawn for negative cells.
	DrawAt(b2Vec2(0.0f, 0.0f), 1.0f);
	EXPECT_EQ(renderer.tilesDrawn, 12 * 9);
	// Beyond the top right corner only the last column and row remain.
	DrawAt(b2Vec2(256.0f + 40.0f, 288.0f + 30.0f), 1.0f);
	EXPECT_EQ(renderer.tilesDrawn, 0);
	const float halfWidth = 25.0f * 640.0f / 480.0f;
	DrawAt(b2Vec2(257.0f + halfWidth, 289.0f + 25.0f), 1.0f);
	EXPECT_EQ(renderer.tilesDrawn, 1);
}

TEST_F(ContestDrawingTest, EachCellShowsItsSheetFrameOnItsOwnSquare)
{
	const Image sheet = TextureImage("tiles");
	const int columns = sheet.width / 32;
	Clear();
	DrawAt(Ground::Corner(18, 57), 1.0f, false);
	const Image screen = ReadBack();
	const float pixelsPerUnit = TestApp().GetView().WindowHeight() / 50.0f;
	const b2Vec2 lower = TestApp().GetView().ScreenToWorld(0, TestApp().GetView().WindowHeight());
	const Ground& ground = game->GetGround();
	int checked = 0;
	for (int row = 50; row < 64; ++row)
	{
		for (int column = 9; column < 28; ++column)
		{
			// The middle half of the cell against the middle half of its frame.
			const int frame = ground.displayGrid[(ground.height - 1 - row) * ground.width + column] - 1;
			const int fx = frame % columns * 32;
			const int fy = frame / columns * 32;
			const b2Color expected = sheet.Mean(fx + 8, fy + 8, fx + 24, fy + 24);
			const b2Vec2 corner = pixelsPerUnit * (Ground::Corner(column, row) - lower);
			const int quarter = static_cast<int>(0.25f * Ground::TileSize * pixelsPerUnit + 0.5f);
			const int x0 = static_cast<int>(corner.x) + quarter;
			const int y0 = static_cast<int>(corner.y) + quarter;
			const b2Color shown = screen.Mean(x0, y0, x0 + 2 * quarter - 2, y0 + 2 * quarter - 2);
			EXPECT_NEAR(shown.r, expected.r, 12.0f) << column << ", " << row;
			EXPECT_NEAR(shown.g, expected.g, 12.0f) << column << ", " << row;
			EXPECT_NEAR(shown.b, expected.b, 12.0f) << column << ", " << row;
			++checked;
		}
	}
	EXPECT_EQ(checked, 14 * 19);
}

TEST_F(ContestDrawingTest, AnOverlayIsASquareOf48UnitsTimesItsZoomOnItsCentre)
{
	// 100 units in 480 pixels, the overlay at zoom 1.5: 345.6 pixels square.
	LookAt(b2Vec2(0.0f, 0.0f), 2.0f);
	Clear();
	renderer.Begin();
	renderer.DrawOverlay("start", b2Vec2(10.0f, 5.0f), 1.5f);
	renderer.End();
	int shown[4];
	ReadBack().LitBox(shown);
	const Image image = TextureImage("start");
	int words[4];
	image.LitBox(words);
	ASSERT_LT(words[0], words[2]);

	const b2Vec2 center(0.5f * TestApp().GetView().WindowWidth() + 10.0f * 4.8f, 0.5f * TestApp().GetView().WindowHeight() + 5.0f * 4.8f);
	const float side = 1.5f * 48.0f * 4.8f;
	// Texture rows run from the top, window rows from the bottom.
	const float expected[4] = {center.x + side * (words[0] / float(image.width) - 0.5f),
		center.y + side * (0.5f - words[3] / float(image.height)),
		center.x + side * (words[2] / float(image.width) - 0.5f),
		center.y + side * (0.5f - words[1] / float(image.height))};
	for (int i = 0; i < 4; ++i)
	{
		EXPECT_NEAR(shown[i], expected[i], 3.0f) << i;
	}
}

TEST_F(ContestDrawingTest, ObjectsOutsideTheViewAreSkipped)
{
	// The start view holds the knight and the archer and both figures.
	DrawAt(b2Vec2(128.0f, 4.8f), 1.0f);
	EXPECT_EQ(renderer.spritesDrawn, 4);

	// A view that ends 1.5 units left of the knight's body still shows it.
	const float halfWidth = 25.0f * 640.0f / 480.0f;
	DrawAt(b2Vec2(120.0f - 1.5f - halfWidth, 4.8f), 1.0f);
	EXPECT_EQ(renderer.spritesDrawn, 2);
	DrawAt(b2Vec2(120.0f - 1.7f - halfWidth, 4.8f), 1.0f);
	EXPECT_EQ(renderer.spritesDrawn, 1);
}
