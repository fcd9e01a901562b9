// The status lines the demonstration scenes write, formatted exactly as
// the renderer formats them, in order after the base step's own lines.

#include <gtest/gtest.h>

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

TEST_F(SceneTextLines, MeasuredValueLines)
{
	{
		std::unique_ptr<PolyCollision> scene(static_cast<PolyCollision*>(PolyCollision::Create()));
		const std::vector<std::string> lines = Frame(scene.get());
		const std::vector<std::string> expected = {Format("point count = %d", scene->GetPointCount())};
		EXPECT_EQ(lines, expected);
	}
	{
		std::unique_ptr<DistanceTest> scene(static_cast<DistanceTest*>(DistanceTest::Create()));
		const std::vector<std::string> lines = Frame(scene.get());
		ASSERT_EQ(lines.size(), 2u);
		EXPECT_EQ(lines[0], Format("distance = %g", scene->GetDistance()));
		EXPECT_EQ(lines[1].rfind("iterations = ", 0), 0u) << lines[1];
	}
	{
		std::unique_ptr<DynamicTreeTest> scene(static_cast<DynamicTreeTest*>(DynamicTreeTest::Create()));
		const std::vector<std::string> lines = Frame(scene.get());
		const std::vector<std::string> expected = {Format("dynamic tree height = %d", scene->GetTreeHeight())};
		EXPECT_EQ(lines, expected);
	}
	{
		std::unique_ptr<SliderCrank> scene(static_cast<SliderCrank*>(SliderCrank::Create()));
		std::vector<std::string> lines;
		for (int i = 0; i < 30; ++i)
		{
			lines = Frame(scene.get());
		}
		ASSERT_EQ(lines.size(), 2u);
		EXPECT_EQ(lines[0], "Keys: (f) toggle friction, (m) toggle motor");
		const float torque = scene->GetCrankJoint()->GetMotorTorque(settings.hz);
		EXPECT_EQ(lines[1], Format("Motor Torque = %5.0f", torque));
		EXPECT_NE(lines[1], "Motor Torque =     0") << "the crank works against the piston's friction";
	}
}
} // namespace
