// Runs scenes through the shell's own frame in a real window for a second
// and reads the picture back: bodies and drawn primitives must show.

#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "app/SceneRegistry.h"
#include "tests/support/TestApp.h"
#include "tests/support/GlWindow.h"

namespace
{
constexpr int FramesPerSecond = 60;
// Status text lives in the top rows; bodies must show below them.
constexpr int TextRows = 120;
constexpr int MinimumLitPixels = 300;
constexpr int LitThreshold = 40;

SceneEntry* FindRow(const char* name)
{
	for (SceneEntry* entry = sceneEntries; entry->create != nullptr; ++entry)
	{
		if (std::strcmp(entry->name, name) == 0)
		{
			return entry;
		}
	}
	return nullptr;
}

// Pixels below the text rows with any channel clearly above black, in the
// frame just shown. Mesa's software renderer under Xvfb reads the window's
// front buffer back as black, but its buffer swap copies the back buffer to
// the window and leaves it intact, so the back buffer holds that frame.
int CountLitPixels()
{
	const int width = glutGet(GLUT_WINDOW_WIDTH);
	const int height = glutGet(GLUT_WINDOW_HEIGHT);
	std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadBuffer(GL_BACK);
	glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());

	int lit = 0;
	// Rows are read bottom up; the text sits in the last rows read.
	for (int y = 0; y < height - TextRows; ++y)
	{
		for (int x = 0; x < width; ++x)
		{
			const unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
			if (p[0] > LitThreshold || p[1] > LitThreshold || p[2] > LitThreshold)
			{
				++lit;
			}
		}
	}
	return lit;
}

class SceneScreenshot : public testing::TestWithParam<const char*>
{
protected:
	void SetUp() override
	{
		EnsureGlWindow();
		PumpWindowEvents();
	}

	void TearDown() override
	{
		TestApp().Scenes().End();
	}
};

TEST_P(SceneScreenshot, ShowsItsBodiesAfterOneSecond)
{
	const SceneEntry* entry = FindRow(GetParam());
	ASSERT_NE(entry, nullptr) << GetParam() << " is not registered";
	TestApp().Scenes().Build(*entry);

	glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
	for (int frame = 0; frame < FramesPerSecond; ++frame)
	{
		TestApp().Display();
		PumpWindowEvents();
	}
	glFinish();

	const int lit = CountLitPixels();
	EXPECT_GE(lit, MinimumLitPixels) << GetParam() << " shows an empty screen";
}

// The control: a cleared frame must read as empty, or the check above
// would pass on stale pictures.
TEST(SceneScreenshotControl, ClearedFrameReadsAsEmpty)
{
	EnsureGlWindow();
	glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
	glClear(GL_COLOR_BUFFER_BIT);
	glutSwapBuffers();
	glFinish();
	EXPECT_EQ(CountLitPixels(), 0);
}

std::string ShotName(const testing::TestParamInfo<const char*>& info)
{
	std::string name;
	for (const char* c = info.param; *c != '\0'; ++c)
	{
		name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
	}
	return name;
}

// Bodies drawn by the world, and the scenes that draw bare shapes, boxes,
// rays and points of their own.
INSTANTIATE_TEST_SUITE_P(Scenes, SceneScreenshot,
	testing::Values("Pyramid", "Bridge", "Dominos", "Ray-Cast", "PolyCollision", "Dynamic Tree", "Time of Impact"),
	ShotName);
} // namespace
