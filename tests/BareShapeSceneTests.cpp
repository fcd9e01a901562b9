// Scenes that compute collision results between bare shapes, or run the
// broad phase's tree on its own, instead of stepping bodies.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "scenes/DistanceTest.h"
#include "scenes/DynamicTreeTest.h"
#include "scenes/PolyCollision.h"
#include "scenes/TimeOfImpact.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
class BareShapeScenes : public testing::Test
{
protected:
	void SetUp() override
	{
		EnsureGlWindow();
	}

	Settings settings;
};

TEST_F(BareShapeScenes, PolyCollisionFindsContactOnlyWhileTheBoxesOverlap)
{
	std::unique_ptr<PolyCollision> scene(static_cast<PolyCollision*>(PolyCollision::Create()));
	StepScene(scene.get(), &settings);
	EXPECT_GE(scene->GetPointCount(), 1);

	// Lift the second box well clear of the first: no manifold points.
	for (int i = 0; i < 30; ++i)
	{
		scene->Keyboard('w');
	}
	StepScene(scene.get(), &settings);
	EXPECT_EQ(scene->GetPointCount(), 0);

	// Back, turned nearly flat (0.3 less a tenth of pi) and pressed into the
	// top face: a full two-point manifold.
	for (int i = 0; i < 30 + 3; ++i)
	{
		scene->Keyboard('s');
	}
	scene->Keyboard('e');
	StepScene(scene.get(), &settings);
	EXPECT_EQ(scene->GetPointCount(), 2) << "box B at angle " << scene->GetTransformB().q.GetAngle();
}

TEST_F(BareShapeScenes, PolyCollisionKeysMoveAndTurnByTheirSteps)
{
	std::unique_ptr<PolyCollision> scene(static_cast<PolyCollision*>(PolyCollision::Create()));
	const b2Transform start = scene->GetTransformB();

	scene->Keyboard('d');
	scene->Keyboard('d');
	scene->Keyboard('w');
	EXPECT_NEAR(scene->GetTransformB().p.x, start.p.x + 0.2f, 1e-5f);
	EXPECT_NEAR(scene->GetTransformB().p.y, start.p.y + 0.1f, 1e-5f);

	scene->Keyboard('a');
	scene->Keyboard('s');
	scene->Keyboard('q');
	EXPECT_NEAR(scene->GetTransformB().p.x, start.p.x + 0.1f, 1e-5f);
	EXPECT_NEAR(scene->GetTransformB().p.y, start.p.y, 1e-5f);
	EXPECT_NEAR(scene->GetTransformB().q.GetAngle(), start.q.GetAngle() + 0.1f * b2_pi, 1e-5f);

	scene->Keyboard('e');
	EXPECT_NEAR(scene->GetTransformB().q.GetAngle(), start.q.GetAngle(), 1e-5f);
}

TEST_F(BareShapeScenes, PauseChangesNothingWhereNoWorldIsStepped)
{
	TextCapture text;
	settings.pause = 1;

	std::unique_ptr<PolyCollision> poly(static_cast<PolyCollision*>(PolyCollision::Create()));
	StepScene(poly.get(), &settings);
	const int points = poly->GetPointCount();
	for (int i = 0; i < 30; ++i)
	{
		poly->Keyboard('w');
	}
	StepScene(poly.get(), &settings);
	EXPECT_NE(poly->GetPointCount(), points) << "the manifold must follow the keys while paused";

	std::unique_ptr<DynamicTreeTest> tree(static_cast<DynamicTreeTest*>(DynamicTreeTest::Create()));
	tree->Keyboard('a');
	StepScene(tree.get(), &settings);
	const float before = tree->GetLayoutSignature();
	StepScene(tree.get(), &settings, 10);
	EXPECT_NE(tree->GetLayoutSignature(), before) << "random actions must go on while paused";

	EXPECT_FALSE(text.Has("****PAUSED****"));
	EXPECT_EQ(settings.pause, 1);
}

TEST_F(BareShapeScenes, DynamicTreeQueryFindsExactlyTheOverlappingBoxes)
{
	std::unique_ptr<DynamicTreeTest> scene(static_cast<DynamicTreeTest*>(DynamicTreeTest::Create()));
	EXPECT_EQ(scene->GetProxyCount(), DynamicTreeTest::ActorCount);
	EXPECT_FALSE(scene->IsAutomated());

	scene->Keyboard('a');
	EXPECT_TRUE(scene->IsAutomated());
	for (int frame = 0; frame < 200; ++frame)
	{
		StepScene(scene.get(), &settings);
		ASSERT_EQ(scene->GetQueryHits(), scene->CountOverlapping()) << "frame " << frame;
	}
	EXPECT_GT(scene->GetProxyCount(), 0);
	EXPECT_LE(scene->GetProxyCount(), DynamicTreeTest::ActorCount);
	// A balanced tree of at most 128 leaves stays shallow.
	EXPECT_LE(scene->GetTreeHeight(), 20);

	scene->Keyboard('a');
	EXPECT_FALSE(scene->IsAutomated());
	const float still = scene->GetLayoutSignature();
	StepScene(scene.get(), &settings, 10);
	EXPECT_EQ(scene->GetLayoutSignature(), still);
}

TEST_F(BareShapeScenes, DynamicTreeKeysCreateDestroyAndMoveOneBox)
{
	std::unique_ptr<DynamicTreeTest> scene(static_cast<DynamicTreeTest*>(DynamicTreeTest::Create()));
	const int full = scene->GetProxyCount();

	scene->Keyboard('c');
	EXPECT_EQ(scene->GetProxyCount(), full) << "no free actor: nothing to create";

	scene->Keyboard('d');
	EXPECT_EQ(scene->GetProxyCount(), full - 1);
	scene->Keyboard('c');
	EXPECT_EQ(scene->GetProxyCount(), full);

	const float before = scene->GetLayoutSignature();
	scene->Keyboard('m');
	EXPECT_NE(scene->GetLayoutSignature(), before);

	for (int i = 0; i < full; ++i)
	{
		scene->Keyboard('d');
	}
	EXPECT_EQ(scene->GetProxyCount(), 0);
	scene->Keyboard('d');
	scene->Keyboard('m');
	StepScene(scene.get(), &settings);
	EXPECT_EQ(scene->GetQueryHits(), 0);
}

TEST_F(BareShapeScenes, DistanceFollowsTheMovedPolygon)
{
	std::unique_ptr<DistanceTest> scene(static_cast<DistanceTest*>(DistanceTest::Create()));
	StepScene(scene.get(), &settings);
	const float start = scene->GetDistance();
	EXPECT_GT(start, 1.0f);

	// The triangle sits above the bar: moving it down by d closes the gap by d.
	for (int i = 0; i < 10; ++i)
	{
		scene->Keyboard('s');
	}
	StepScene(scene.get(), &settings);
	EXPECT_NEAR(scene->GetDistance(), start - 1.0f, 0.01f);

	// Into the bar: overlapping shapes are at distance 0.
	for (int i = 0; i < 30; ++i)
	{
		scene->Keyboard('s');
	}
	StepScene(scene.get(), &settings);
	EXPECT_EQ(scene->GetDistance(), 0.0f);
}

TEST_F(BareShapeScenes, TimeOfImpactStopsTheSweepInsideItsRange)
{
	TextCapture text;
	std::unique_ptr<TimeOfImpact> scene(static_cast<TimeOfImpact*>(TimeOfImpact::Create()));
	StepScene(scene.get(), &settings);
	// The small box starts clear above and ends through the long one.
	EXPECT_GT(scene->GetToi(), 0.0f);
	EXPECT_LT(scene->GetToi(), 1.0f);

	char expected[DebugDraw::TextBufferSize];
	std::snprintf(expected, sizeof(expected), "toi = %g", scene->GetToi());
	EXPECT_TRUE(text.Has(expected)) << expected;
	EXPECT_NE(text.Find("max toi iters = "), "");
}
} // namespace
