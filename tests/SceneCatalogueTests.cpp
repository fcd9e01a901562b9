// Every registered demonstration scene must build, run for ten seconds of
// simulated time and rebuild without crashing, producing non-finite
// numbers or throwing its bodies out of the scene.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/SceneRegistry.h"
#include "framework/core/Settings.h"
#include "framework/core/Test.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
constexpr int FramesToRun = 600;
constexpr int FramesAfterRestart = 60;

// Generous limits around every scene: the widest (a car track) spans about
// 300 units, the tallest drops things from 40.
constexpr float MinX = -500.0f;
constexpr float MaxX = 500.0f;
constexpr float MinY = -100.0f;
constexpr float MaxY = 500.0f;

// The game has its own tests and needs its assets; every other row is a
// demonstration scene.
const char* const GameSceneName = "Contest";

// Scenes that throw bodies off a short ground, drive one off its end or
// scatter them without gravity: those bodies are meant to leave, so these
// scenes are held to the limits only for their first two seconds.
constexpr int ThrowingSceneBoundedFrames = 120;

bool ThrowsBodiesAway(const std::string& name)
{
	return name == "Bullet Test" || name == "Continuous Test" || name == "Add Pair Stress Test" ||
		name == "Character Collision";
}

std::vector<int> DemoRows()
{
	std::vector<int> rows;
	for (int i = 0; sceneEntries[i].create != nullptr; ++i)
	{
		if (std::strcmp(sceneEntries[i].name, GameSceneName) != 0)
		{
			rows.push_back(i);
		}
	}
	return rows;
}

std::string RowTestName(const testing::TestParamInfo<int>& info)
{
	std::string name = std::to_string(info.param) + "_";
	for (const char* c = sceneEntries[info.param].name; *c != '\0'; ++c)
	{
		name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
	}
	return name;
}

bool IsFinite(const b2Vec2& v)
{
	return std::isfinite(v.x) && std::isfinite(v.y);
}

class SceneCatalogue : public testing::TestWithParam<int>
{
protected:
	void SetUp() override
	{
		EnsureGlWindow();
	}

	const SceneEntry& Row() const
	{
		return sceneEntries[GetParam()];
	}
};

TEST_P(SceneCatalogue, RunsTenSecondsWithSaneBodiesAndSurvivesRestart)
{
	const std::string name = Row().name;
	const int boundedFrames = ThrowsBodiesAway(name) ? ThrowingSceneBoundedFrames : FramesToRun;
	Settings settings;
	std::unique_ptr<::Test> scene(Row().create());
	ASSERT_NE(scene, nullptr);
	ASSERT_NE(scene->GetWorld(), nullptr);

	for (int frame = 0; frame < FramesToRun; ++frame)
	{
		StepScene(scene.get(), &settings, 1);

		for (b2Body* body = scene->GetWorld()->GetBodyList(); body != nullptr; body = body->GetNext())
		{
			const b2Vec2 p = body->GetPosition();
			ASSERT_TRUE(IsFinite(p)) << name << ": position not finite at frame " << frame;
			ASSERT_TRUE(IsFinite(body->GetLinearVelocity())) << name << ": velocity not finite at frame " << frame;
			ASSERT_TRUE(std::isfinite(body->GetAngle())) << name << ": angle not finite at frame " << frame;
			ASSERT_TRUE(std::isfinite(body->GetAngularVelocity()))
				<< name << ": spin not finite at frame " << frame;
			if (frame < boundedFrames)
			{
				ASSERT_TRUE(p.x > MinX && p.x < MaxX && p.y > MinY && p.y < MaxY)
					<< name << ": a body left the scene at frame " << frame << ", now at (" << p.x << ", " << p.y
					<< ")";
			}
		}
	}

	// Restart as the shell does it: delete, then build afresh from the row.
	scene.reset();
	scene.reset(Row().create());
	ASSERT_NE(scene, nullptr);
	StepScene(scene.get(), &settings, FramesAfterRestart);
	for (b2Body* body = scene->GetWorld()->GetBodyList(); body != nullptr; body = body->GetNext())
	{
		EXPECT_TRUE(IsFinite(body->GetPosition())) << name << " after restart";
	}
}

INSTANTIATE_TEST_SUITE_P(AllDemoScenes, SceneCatalogue, testing::ValuesIn(DemoRows()), RowTestName);
} // namespace
