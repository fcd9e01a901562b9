// Every registered demonstration scene must build, run for ten seconds of
// simulated time and rebuild without crashing, producing non-finite
// numbers or throwing its bodies out of the scene; and step the same world
// with drawing off as with it on.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
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
// Drawn and undrawn, a scene is run this long before and after its bomb.
constexpr int FramesBeforeBomb = 30;
constexpr int FramesAfterBomb = 90;

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

// A capture whose scenes step with drawing off, as a check of a recording
// or a catch-up runs them.
class UndrawnCapture : public TextCapture
{
public:
	bool Draws() const override { return false; }
};

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
	// Only the world counts here: undrawn, it steps at its own speed.
	const UndrawnCapture undrawn;
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

struct SceneRun
{
	uint64_t digest = 0;
	std::vector<std::string> lines;
};

// A fresh scene of row, stepped for half a second, bombed and stepped for
// a second and a half more, drawn or not: its digest and the text lines it told, but for the
// ones that time something (in ms), which no two runs share.
SceneRun RunBombed(const SceneEntry& row, bool drawn)
{
	constexpr unsigned BombSeed = 7;
	std::srand(BombSeed);
	const std::unique_ptr<TextCapture> capture =
		drawn ? std::make_unique<TextCapture>() : std::make_unique<UndrawnCapture>();
	Settings settings;
	std::unique_ptr<::Test> scene(row.create());
	StepScene(scene.get(), &settings, FramesBeforeBomb);
	scene->LaunchBomb();
	StepScene(scene.get(), &settings, FramesAfterBomb);
	SceneRun run{scene->Digest(), {}};
	std::copy_if(capture->Lines().begin(), capture->Lines().end(), std::back_inserter(run.lines),
		[](const std::string& line) { return line.find(" ms") == std::string::npos; });
	return run;
}

INSTANTIATE_TEST_SUITE_P(AllDemoScenes, SceneCatalogue, testing::ValuesIn(DemoRows()), RowTestName);

TEST(SceneCatalogueUndrawn, EveryDemoSceneStepsTheSameWorldAndTellsTheSameLinesWithDrawingOff)
{
	EnsureGlWindow();
	for (int row : DemoRows())
	{
		const SceneRun drawn = RunBombed(sceneEntries[row], true);
		const SceneRun undrawn = RunBombed(sceneEntries[row], false);
		EXPECT_EQ(undrawn.digest, drawn.digest) << sceneEntries[row].name;
		EXPECT_EQ(undrawn.lines, drawn.lines) << sceneEntries[row].name;
	}
}
} // namespace
