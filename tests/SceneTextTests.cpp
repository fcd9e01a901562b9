#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/SceneRegistry.h"
#include "framework/core/DebugDraw.h"
#include "framework/core/Test.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
struct ExpectedText
{
	const char* scene;
	std::vector<const char*> lines;
};

// Each scene's own status lines, as patterns over the whole line.
const std::vector<ExpectedText> expectedTexts = {
	{"Tumbler", {}},
	{"Dump Shell", {}},
	{"Gears", {R"(theta1 \+ 2\.00 \* theta2 = -?\d+\.\d\d)", R"(theta2 \+ -0\.50 \* delta = -?\d+\.\d\d)"}},
	{"Cantilever", {}},
	{"Varying Restitution", {}},
	{"Character Collision",
		{R"(This tests various character collision shapes\.)",
			R"(Limitation: square and hexagon can snag on aligned boxes\.)",
			R"(Feature: edge chains have smooth collision inside and out\.)"}},
	{"Edge Test", {}},
	{"Body Types", {R"(Keys: \(d\) dynamic, \(s\) static, \(k\) kinematic)"}},
	{"Shape Editing", {R"(Press: \(c\) create a shape, \(d\) destroy a shape\.)", R"(sensor = 0)"}},
	{"Car",
		{R"(Keys: left = a, brake = s, right = d, hz down = q, hz up = e)",
			R"(frequency = 4 hz, damping ratio = 0\.7)"}},
	{"Apply Force", {}},
	{"Prismatic", {R"(Keys: \(l\) limits, \(m\) motors, \(s\) speed)", R"(Motor Force = [ -]*\d{1,5})"}},
	{"Vertical Stack", {R"(Press: \(,\) to launch a bullet\.)"}},
	{"SphereStack", {}},
	{"Revolute", {R"(Keys: \(l\) limits, \(m\) motor)"}},
	{"Pulleys", {R"(L1 \+ 1\.50 \* L2 = 30\.00)"}},
	{"Polygon Shapes",
		{R"(Press 1-5 to drop stuff)", R"(Press 'a' to \(de\)activate some bodies)", R"(Press 'd' to destroy a body)"}},
	{"Web",
		{R"(This demonstrates a soft distance joint\.)", R"(Press: \(b\) to delete a body, \(j\) to delete a joint)"}},
	{"RopeJoint", {R"(Press \(j\) to toggle the rope joint\.)", R"(Rope ON)"}},
	{"One-Sided Platform", {R"(Press: \(c\) create a shape, \(d\) destroy a shape\.)"}},
	{"Pinball", {R"(Press 'a' to control the flippers)"}},
};

const SceneEntry* FindScene(const char* name)
{
	for (const SceneEntry* entry = sceneEntries; entry->create != nullptr; ++entry)
	{
		if (std::strcmp(entry->name, name) == 0)
		{
			return entry;
		}
	}
	return nullptr;
}
} // namespace

TEST(SceneText, EachSceneWritesExactlyItsOwnLines)
{
	EnsureGlWindow();
	for (const ExpectedText& expected : expectedTexts)
	{
		SCOPED_TRACE(expected.scene);
		const SceneEntry* entry = FindScene(expected.scene);
		ASSERT_NE(nullptr, entry);
		std::unique_ptr<::Test> scene(entry->create());
		Settings settings;

		for (int frame = 0; frame < 3; ++frame)
		{
			TextCapture capture;
			StepScene(scene.get(), settings);
			const std::vector<std::string>& lines = capture.Lines();
			ASSERT_EQ(expected.lines.size(), lines.size());
			for (size_t i = 0; i < lines.size(); ++i)
			{
				EXPECT_TRUE(std::regex_match(lines[i], std::regex(expected.lines[i])))
					<< "line " << i << ": " << lines[i];
				EXPECT_LT(lines[i].size(), static_cast<size_t>(DebugDraw::TextBufferSize));
			}
		}
	}
}

// The scene lines come after the base step's lines, so a paused scene still
// shows its own text below the pause banner.
TEST(SceneText, SceneLinesFollowTheBaseLines)
{
	EnsureGlWindow();
	Settings settings;
	settings.pause = 1;
	settings.drawStats = 1;
	std::unique_ptr<::Test> scene(FindScene("RopeJoint")->create());
	TextCapture capture;
	StepScene(scene.get(), settings);
	ASSERT_EQ(5u, capture.Lines().size());
	EXPECT_EQ("****PAUSED****", capture.Lines()[0]);
	EXPECT_EQ("Press (j) to toggle the rope joint.", capture.Lines()[3]);
	EXPECT_EQ("Rope ON", capture.Lines()[4]);
}

TEST(SceneRegistry, DemonstrationRowsKeepTheirOrderAroundTiles)
{
	std::vector<std::string> names;
	for (const SceneEntry* entry = sceneEntries; entry->create != nullptr; ++entry)
	{
		names.emplace_back(entry->name);
	}
	std::vector<std::string> expected;
	for (const ExpectedText& text : expectedTexts)
	{
		expected.emplace_back(text.scene);
	}
	expected.insert(expected.begin() + 1, "Tiles");

	auto first = std::find(names.begin(), names.end(), expected.front());
	ASSERT_NE(names.end(), first);
	ASSERT_GE(names.end() - first, static_cast<long>(expected.size()));
	EXPECT_EQ(expected, std::vector<std::string>(first, first + expected.size()));
}
