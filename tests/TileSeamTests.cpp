// The arena's tiles join without seams: no tile edge takes colour from the
// frames around its own in the tightly packed sprite sheet.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/arena/ArenaLevel.h"
#include "game/assets/TextureCache.h"
#include "tests/support/GameHarness.h"

namespace
{
constexpr int Frame = 32;
const int WallFrame = Ground::DisplayCode(TileBlock) - 1;

// Refills the bound sheet (for the rest of this test program): the wall
// frame white, every other frame clear, so any colour a wall tile takes from
// outside its frame darkens it.
void WhitenOnlyTheWallFrame(int width, int height)
{
	std::vector<unsigned char> texels(static_cast<size_t>(width) * height * 4, 0);
	const int left = WallFrame % (width / Frame) * Frame;
	const int top = WallFrame / (width / Frame) * Frame;
	for (int y = top; y < top + Frame; ++y)
	{
		std::fill_n(&texels[(static_cast<size_t>(y) * width + left) * 4], Frame * 4, 255);
	}
	gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
}

TEST(TileSeams, WallTilesAreAsBrightAtTheirEdgesAsTheWallFrameAlone)
{
	StartGameHarness();
	Contest* game = NewGame();
	const Ground& ground = game->GetGround();
	// Draws as the game's own renderer does.
	DebugDraw draw;
	ContestRenderer renderer(draw);
	const int width = static_cast<int>(ground.width);
	const int height = static_cast<int>(ground.height);
	for (float zoom : {0.5f, 1.0f, 2.0f})
	{
		// Around the fighters' start, the tile edges falling anywhere within
		// a pixel.
		TestApp().Scenes().settings.viewCenter.Set(126.3f, 14.1f);
		TestApp().GetView().SetZoom(zoom);
		TestApp().Router().Reshape(TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight());
		glMatrixMode(GL_MODELVIEW);
		glLoadIdentity();
		glClear(GL_COLOR_BUFFER_BIT);
		const b2Vec2 lower = TestApp().GetView().ScreenToWorld(0, TestApp().GetView().WindowHeight());
		const b2Vec2 upper = TestApp().GetView().ScreenToWorld(TestApp().GetView().WindowWidth(), 0);
		renderer.Begin();
		WhitenOnlyTheWallFrame(GetTexture("tiles").width, GetTexture("tiles").height);
		renderer.DrawTiles(ground, lower, upper);
		renderer.End();
		std::vector<unsigned char> pixels(static_cast<size_t>(TestApp().GetView().WindowWidth()) * TestApp().GetView().WindowHeight() * 4);
		glReadPixels(0, 0, TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight(), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

		int wallPixels = 0;
		int darker = 0;
		for (int row = 0; row < TestApp().GetView().WindowHeight(); ++row)
		{
			for (int column = 0; column < TestApp().GetView().WindowWidth(); ++column)
			{
				const float x = lower.x + (column + 0.5f) * (upper.x - lower.x) / TestApp().GetView().WindowWidth();
				const float y = lower.y + (row + 0.5f) * (upper.y - lower.y) / TestApp().GetView().WindowHeight();
				const int cellX = static_cast<int>(std::floor(x / Ground::TileSize));
				const int cellY = static_cast<int>(std::floor(y / Ground::TileSize));
				const bool inGrid = cellX >= 0 && cellX < width && cellY >= 0 && cellY < height;
				if (inGrid && ground.displayGrid[(height - 1 - cellY) * width + cellX] - 1 == WallFrame)
				{
					++wallPixels;
					darker += pixels[(static_cast<size_t>(row) * TestApp().GetView().WindowWidth() + column) * 4] < 255 - 8;
				}
			}
		}
		EXPECT_GT(wallPixels, 10000) << zoom;
		EXPECT_EQ(darker, 0) << "wall pixels more than 8 levels darker than the frame at zoom " << zoom;
	}
	EndGame();
}
} // namespace
