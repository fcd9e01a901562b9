#include <gtest/gtest.h>

#include <cmath>

#include "framework/Shell.h"
#include "game/Contest.h"
#include "game/ContestRenderer.h"
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
	// game's own step would leave it.
	void DrawAt(const b2Vec2& center, float zoom)
	{
		settings.viewCenter = center;
		viewZoom = zoom;
		OnReshape(windowWidth, windowHeight);
		const b2Vec2 lower = ScreenToWorld(0, windowHeight);
		const b2Vec2 upper = ScreenToWorld(windowWidth, 0);
		game->renderer.Begin();
		game->renderer.DrawTiles(game->ground, lower, upper);
		game->renderer.DrawObjects(game->gameWorld.objects, lower, upper);
		game->renderer.End();
	}

	Contest* game = nullptr;
};

void ExpectColor(const b2Color& c, float r, float g, float b)
{
	EXPECT_FLOAT_EQ(c.r, r);
	EXPECT_FLOAT_EQ(c.g, g);
	EXPECT_FLOAT_EQ(c.b, b);
}
} // namespace

TEST_F(ContestDrawingTest, FightersShowTheirFrameFacingHarmAndFade)
{
	Knight* knight = game->knight;
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

	const Other* first = static_cast<const Other*>(game->gameWorld.objects[1]);
	const Other* second = static_cast<const Other*>(game->gameWorld.objects[3]);
	ASSERT_EQ(ContestRenderer::SpritesOf(*first, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 10u);
	ASSERT_EQ(ContestRenderer::SpritesOf(*second, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 14u);

	// The archer's bow shows only while its body is enabled.
	Archer* archer = game->archer;
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
	Zombie* zombie = static_cast<Zombie*>(game->gameWorld.objects.back());
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
	Shield* shield = game->knight->shield;
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
	game->knight->Attack();
	Proj* mace = static_cast<Proj*>(game->gameWorld.objects.back());
	ASSERT_EQ(mace->kind, KindMace);
	Sprite sprites[2];
	ASSERT_EQ(ContestRenderer::SpritesOf(*mace, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 32u);
	EXPECT_EQ(sprites[0].anchor, b2Vec2(20.0f, 19.0f));
	EXPECT_NEAR(sprites[0].angle, b2_pi / 2.0f - 0.7853975f, 1e-5f);
	game->knight->facing = -1.0f;
	ContestRenderer::SpritesOf(*mace, sprites);
	EXPECT_NEAR(sprites[0].angle, b2_pi / 2.0f - 2.3561926f, 1e-5f);
	EXPECT_EQ(sprites[0].scale, b2Vec2(-0.1f, 0.1f));

	// An arrow flying straight right turns an eighth of a turn clockwise.
	game->archer->Shoot(b2Vec2(1.0f, 0.0f));
	Proj* arrow = static_cast<Proj*>(game->gameWorld.objects.back());
	ASSERT_EQ(arrow->kind, KindArrow);
	ASSERT_EQ(ContestRenderer::SpritesOf(*arrow, sprites), 1);
	EXPECT_EQ(sprites[0].frame, 41u);
	EXPECT_EQ(sprites[0].anchor, b2Vec2(23.0f, 24.0f));
	EXPECT_FLOAT_EQ(sprites[0].angle, -0.7853975f);
	arrow->fixture->GetBody()->SetLinearVelocity(b2Vec2(0.0f, 10.0f));
	ContestRenderer::SpritesOf(*arrow, sprites);
	EXPECT_NEAR(sprites[0].angle, b2_pi / 2.0f - 0.7853975f, 1e-5f);

	// The ground is never drawn as an object.
	EXPECT_EQ(ContestRenderer::SpritesOf(game->ground, sprites), 0);
}

TEST_F(ContestDrawingTest, TilesCoverTheViewWithOneTileOfMarginClippedToTheGrid)
{
	// The window is 640 x 480: at zoom 1 the view is 66.7 x 50 units.
	ASSERT_EQ(windowWidth, 640);
	ASSERT_EQ(windowHeight, 480);
	// Centred on the corner of tiles (40, 15): columns 28 to 51, rows 6
	// to 23.
	DrawAt(Ground::Corner(40, 15), 1.0f);
	EXPECT_EQ(game->renderer.tilesDrawn, 24 * 18);

	// Left of and below the arena nothing is drawn for negative cells.
	DrawAt(b2Vec2(0.0f, 0.0f), 1.0f);
	EXPECT_EQ(game->renderer.tilesDrawn, 12 * 9);
	// Beyond the top right corner only the last column and row remain.
	DrawAt(b2Vec2(256.0f + 40.0f, 288.0f + 30.0f), 1.0f);
	EXPECT_EQ(game->renderer.tilesDrawn, 0);
	const float halfWidth = 25.0f * 640.0f / 480.0f;
	DrawAt(b2Vec2(257.0f + halfWidth, 289.0f + 25.0f), 1.0f);
	EXPECT_EQ(game->renderer.tilesDrawn, 1);
}

TEST_F(ContestDrawingTest, ObjectsOutsideTheViewAreSkipped)
{
	// The start view holds the knight and the archer and both figures.
	DrawAt(b2Vec2(128.0f, 4.8f), 1.0f);
	EXPECT_EQ(game->renderer.spritesDrawn, 4);

	// A view that ends 1.5 units left of the knight's body still shows it.
	const float halfWidth = 25.0f * 640.0f / 480.0f;
	DrawAt(b2Vec2(120.0f - 1.5f - halfWidth, 4.8f), 1.0f);
	EXPECT_EQ(game->renderer.spritesDrawn, 2);
	DrawAt(b2Vec2(120.0f - 1.7f - halfWidth, 4.8f), 1.0f);
	EXPECT_EQ(game->renderer.spritesDrawn, 1);
}
