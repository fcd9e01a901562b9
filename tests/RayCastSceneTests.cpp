// The ray-casting scenes: their callbacks' three ways of answering a cast,
// the mode key and the shapes the user drops.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "scenes/EdgeShapes.h"
#include "scenes/RayCast.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
// Four unit boxes in a row on the x axis at x = 2, 5, 8 and 11, so a ray
// from the origin along +x crosses them in that order.
class BoxRow : public testing::Test
{
protected:
	BoxRow()
		: world(b2Vec2(0.0f, 0.0f))
	{
		// Created far to near, so the world does not report them in the
		// order of distance by accident.
		for (float x : {11.0f, 8.0f, 5.0f, 2.0f})
		{
			b2BodyDef bd;
			bd.position.Set(x, 0.0f);
			b2PolygonShape box;
			box.SetAsBox(0.5f, 0.5f);
			world.CreateBody(&bd)->CreateFixture(&box, 0.0f);
		}
	}

	const b2Vec2 from{0.0f, 0.0f};
	const b2Vec2 to{20.0f, 0.0f};
	b2World world;
};

TEST_F(BoxRow, ClosestCallbackReportsTheNearestFace)
{
	RayCast::RayCastClosestCallback callback;
	world.RayCast(&callback, from, to);
	ASSERT_TRUE(callback.hit);
	EXPECT_NEAR(callback.point.x, 1.5f, 1e-4f);
	EXPECT_NEAR(callback.normal.x, -1.0f, 1e-4f);

	RayCast::RayCastClosestCallback miss;
	world.RayCast(&miss, b2Vec2(0.0f, 5.0f), b2Vec2(20.0f, 5.0f));
	EXPECT_FALSE(miss.hit);
}

TEST_F(BoxRow, AnyCallbackStopsAtTheFirstReport)
{
	RayCast::RayCastAnyCallback callback;
	world.RayCast(&callback, from, to);
	ASSERT_TRUE(callback.hit);
	// Whichever box it was, the hit lies on a left face.
	const float x = callback.point.x + 0.5f;
	EXPECT_TRUE(x == 2.0f || x == 5.0f || x == 8.0f || x == 11.0f) << callback.point.x;
	EXPECT_NEAR(callback.normal.x, -1.0f, 1e-4f);
}

TEST_F(BoxRow, MultipleCallbackKeepsAtMostThreeHits)
{
	RayCast::RayCastMultipleCallback callback;
	world.RayCast(&callback, from, to);
	EXPECT_EQ(callback.count, RayCast::RayCastMultipleCallback::MaxHits);

	RayCast::RayCastMultipleCallback shortRay;
	world.RayCast(&shortRay, from, b2Vec2(6.0f, 0.0f));
	EXPECT_EQ(shortRay.count, 2);
}

class RayCastScenes : public testing::Test
{
protected:
	void SetUp() override
	{
		EnsureGlWindow();
	}

	Settings settings;
};

TEST_F(RayCastScenes, ModeKeyCyclesThroughTheThreeModes)
{
	TextCapture text;
	std::unique_ptr<RayCast> scene(static_cast<RayCast*>(RayCast::Create()));
	const int expected[] = {0, 1, 2, 0, 1};
	for (int mode : expected)
	{
		EXPECT_EQ(scene->GetMode(), mode);
		text.Clear();
		StepScene(scene.get(), &settings);
		EXPECT_TRUE(text.Has("Mode = " + std::to_string(mode)));
		scene->Keyboard('m');
	}
}

TEST_F(RayCastScenes, DroppedShapesAreCappedAndDestroyedOneByOne)
{
	std::unique_ptr<RayCast> scene(static_cast<RayCast*>(RayCast::Create()));
	const int baseBodies = scene->GetWorld()->GetBodyCount();
	for (char key = '1'; key <= '5'; ++key)
	{
		scene->Keyboard(key);
	}
	EXPECT_EQ(scene->GetBodyCount(), 5);
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), baseBodies + 5);

	// Beyond the capacity the oldest body makes room for the newest.
	for (int i = 0; i < DroppedBodies::Capacity + 10; ++i)
	{
		scene->Keyboard('4');
	}
	EXPECT_EQ(scene->GetBodyCount(), DroppedBodies::Capacity);
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), baseBodies + DroppedBodies::Capacity);

	for (int i = 0; i < DroppedBodies::Capacity + 3; ++i)
	{
		scene->Keyboard('d');
	}
	EXPECT_EQ(scene->GetBodyCount(), 0);
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), baseBodies);
	StepScene(scene.get(), &settings, 10);
}

TEST_F(RayCastScenes, MultipleModeSeesSeveralDroppedShapes)
{
	std::unique_ptr<RayCast> scene(static_cast<RayCast*>(RayCast::Create()));
	scene->Keyboard('m');
	scene->Keyboard('m');
	ASSERT_EQ(scene->GetMode(), RayCast::Multiple);
	for (int i = 0; i < 40; ++i)
	{
		scene->Keyboard('4');
	}
	// Let the boxes settle into a heap the turning ray sweeps across.
	int most = 0;
	for (int frame = 0; frame < 900; ++frame)
	{
		StepScene(scene.get(), &settings);
		most = b2Max(most, scene->GetHitCount());
	}
	EXPECT_GE(most, 2);
	EXPECT_LE(most, RayCast::RayCastMultipleCallback::MaxHits);
}

TEST_F(RayCastScenes, EdgeShapesGroundFollowsTheWaveAndStopsTheRay)
{
	std::unique_ptr<EdgeShapes> scene(static_cast<EdgeShapes*>(EdgeShapes::Create()));
	EXPECT_EQ(scene->GetGroundEdgeCount(), 80);

	for (float x : {-20.0f, -5.0f, 0.0f, 7.5f, 10.0f, 19.9f})
	{
		EdgeShapes::EdgeShapesCallback callback;
		scene->GetWorld()->RayCast(&callback, b2Vec2(x, 10.0f), b2Vec2(x, -10.0f));
		ASSERT_NE(callback.fixture, nullptr) << x;
		// Straight edges between points half a unit apart stay within a few
		// hundredths of the cosine wave.
		EXPECT_NEAR(callback.point.y, 2.0f * cosf(b2_pi * x / 10.0f), 0.03f) << x;
	}

	EdgeShapes::EdgeShapesCallback outside;
	scene->GetWorld()->RayCast(&outside, b2Vec2(25.0f, 10.0f), b2Vec2(25.0f, -10.0f));
	EXPECT_EQ(outside.fixture, nullptr);

	scene->Keyboard('2');
	scene->Keyboard('5');
	EXPECT_EQ(scene->GetBodyCount(), 2);
	scene->Keyboard('d');
	EXPECT_EQ(scene->GetBodyCount(), 1);
	StepScene(scene.get(), &settings, 120);
}
} // namespace
