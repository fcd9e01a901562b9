// The status lines the demonstration scenes write, formatted exactly as
// the renderer formats them, in order after the base step's own lines.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "scenes/BulletTest.h"
#include "scenes/CollisionStatistics.h"
#include "scenes/Confined.h"
#include "scenes/ContinuousTest.h"
#include "scenes/DistanceTest.h"
#include "scenes/DynamicTreeTest.h"
#include "scenes/EdgeShapes.h"
#include "scenes/PolyCollision.h"
#include "scenes/RayCast.h"
#include "scenes/SliderCrank.h"
#include "scenes/Tarvo.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...)
{
	char buffer[DebugDraw::TextBufferSize];
	va_list args;
	va_start(args, format);
	vsnprintf(buffer, sizeof(buffer), format, args);
	va_end(args);
	return buffer;
}

class SceneTextLines : public testing::Test
{
protected:
	void SetUp() override
	{
		EnsureGlWindow();
	}

	// Steps the scene once more and returns exactly the lines of that frame.
	std::vector<std::string> Frame(::Test* scene)
	{
		text.Clear();
		StepScene(scene, &settings);
		return text.Lines();
	}

	Settings settings;
	TextCapture text;
};

TEST_F(SceneTextLines, FixedInstructionLines)
{
	struct Case
	{
		::Test* (*create)();
		std::vector<std::string> lines;
	};
	const Case cases[] = {
		{RayCast::Create, {"Press 1-5 to drop stuff, m to change the mode", "Mode = 0"}},
		{Confined::Create, {"Press 'c' to create a circle."}},
		{Tarvo::Create, {"Keys: left = a, brake = s, right = d, toggle motor = m"}},
		{EdgeShapes::Create, {"Press 1-5 to drop stuff"}},
	};
	for (const Case& c : cases)
	{
		std::unique_ptr<::Test> scene(c.create());
		EXPECT_EQ(Frame(scene.get()), c.lines);
	}
}

TEST_F(SceneTextLines, PausedLineComesFirstThenTheScenesLines)
{
	settings.pause = 1;
	std::unique_ptr<::Test> scene(Confined::Create());
	const std::vector<std::string> expected = {"****PAUSED****", "Press 'c' to create a circle."};
	EXPECT_EQ(Frame(scene.get()), expected);
}

TEST_F(SceneTextLines, CollisionCounterLinesShowAveragesOfTheCounters)
{
	for (::Test* (*create)() : {BulletTest::Create, ContinuousTest::Create})
	{
		std::unique_ptr<::Test> scene(create());
		std::vector<std::string> lines = Frame(scene.get());
		// Before any time of impact was computed the averages read 0.0, not
		// a division by zero.
		ASSERT_EQ(lines.size(), 3u);
		EXPECT_EQ(lines[1], "toi calls = 0, ave toi iters = 0.0, max toi iters = 0");
		EXPECT_EQ(lines[2], "ave toi root iters = 0.0, max toi root iters = 0");

		for (int i = 0; i < 60; ++i)
		{
			lines = Frame(scene.get());
		}
		ASSERT_EQ(lines.size(), 3u);
		ASSERT_GT(b2_gjkCalls, 0);
		ASSERT_GT(b2_toiCalls, 0) << "the fast body must have needed a time of impact";
		EXPECT_EQ(lines[0], Format("gjk calls = %d, ave gjk iters = %3.1f, max gjk iters = %d", b2_gjkCalls,
			static_cast<float>(b2_gjkIters) / b2_gjkCalls, b2_gjkMaxIters));
		EXPECT_EQ(lines[1], Format("toi calls = %d, ave toi iters = %3.1f, max toi iters = %d", b2_toiCalls,
			static_cast<float>(b2_toiIters) / b2_toiCalls, b2_toiMaxIters));
		EXPECT_EQ(lines[2], Format("ave toi root iters = %3.1f, max toi root iters = %d",
			static_cast<float>(b2_toiRootIters) / b2_toiCalls, b2_toiMaxRootIters));
	}
}

// The measured values against what the scenes' shapes give by hand.
TEST_F(SceneTextLines, MeasuredValueLines)
{
	{
		// One corner of the turned box dips into the other box's top face.
		std::unique_ptr<::Test> scene(PolyCollision::Create());
		EXPECT_EQ(Frame(scene.get()), std::vector<std::string>{"point count = 1"});
	}
	{
		// The triangle's lowest corner above the bar's top face, less the
		// skins of both polygons.
		std::unique_ptr<::Test> scene(DistanceTest::Create());
		const std::vector<std::string> lines = Frame(scene.get());
		ASSERT_EQ(lines.size(), 2u);
		ASSERT_EQ(lines[0].rfind("distance = ", 0), 0u) << lines[0];
		const float gap = 21.0f - 1.5f * std::sin(0.2f) - std::cos(0.2f) - 16.0f - 2.0f * b2_polygonRadius;
		EXPECT_NEAR(std::stof(lines[0].substr(11)), gap, 1e-4f);
		EXPECT_EQ(lines[1].rfind("iterations = ", 0), 0u) << lines[1];
	}
	{
		// 128 boxes: at least 7 levels, and balanced well below a list.
		std::unique_ptr<::Test> scene(DynamicTreeTest::Create());
		const std::vector<std::string> lines = Frame(scene.get());
		ASSERT_EQ(lines.size(), 1u);
		ASSERT_EQ(lines[0].rfind("dynamic tree height = ", 0), 0u) << lines[0];
		const int height = std::stoi(lines[0].substr(22));
		EXPECT_GE(height, 7);
		EXPECT_LE(height, 20);
	}
	{
		std::unique_ptr<::Test> scene(SliderCrank::Create());
		std::vector<std::string> lines;
		for (int i = 0; i < 30; ++i)
		{
			lines = Frame(scene.get());
		}
		ASSERT_EQ(lines.size(), 2u);
		EXPECT_EQ(lines[0], "Keys: (f) toggle friction, (m) toggle motor");
		// The crank works against the piston's friction, within its motor's
		// 10000.
		ASSERT_EQ(lines[1].rfind("Motor Torque = ", 0), 0u) << lines[1];
		const float torque = std::fabs(std::stof(lines[1].substr(15)));
		EXPECT_GT(torque, 0.5f);
		EXPECT_LE(torque, 10000.0f);
	}
}
} // namespace
