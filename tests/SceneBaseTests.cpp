// The scene base: stepping, pause, status text, contact recording, mouse
// dragging and bombs, with a real world and real window.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/TestApp.h"
#include "scenes/Tiles.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
// A floor with a dynamic box resting on it, a static block and a kinematic
// block, to press on, drag and watch.
class Playground : public Test
{
public:
	explicit Playground(int boxesInARow = 1)
	{
		b2BodyDef groundDef;
		floor = world->CreateBody(&groundDef);
		b2EdgeShape edge;
		edge.SetTwoSided(b2Vec2(-2000.0f, 0.0f), b2Vec2(2000.0f, 0.0f));
		floor->CreateFixture(&edge, 0.0f);

		b2PolygonShape square;
		square.SetAsBox(0.5f, 0.5f);
		for (int i = 0; i < boxesInARow; ++i)
		{
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position.Set(-1000.0f + 1.5f * i, 0.5f);
			b2Body* body = world->CreateBody(&bd);
			body->CreateFixture(&square, 1.0f);
			if (i == 0)
			{
				box = body;
			}
		}

		b2BodyDef staticDef;
		staticDef.position.Set(10.0f, 5.0f);
		staticBlock = world->CreateBody(&staticDef);
		staticBlock->CreateFixture(&square, 0.0f);

		b2BodyDef kinematicDef;
		kinematicDef.type = b2_kinematicBody;
		kinematicDef.position.Set(20.0f, 5.0f);
		kinematicBlock = world->CreateBody(&kinematicDef);
		kinematicBlock->CreateFixture(&square, 1.0f);
	}

	b2Body* floor;
	b2Body* box = nullptr;
	b2Body* staticBlock;
	b2Body* kinematicBlock;
};

class SceneBaseTest : public ::testing::Test
{
protected:
	void SetUp() override { EnsureGlWindow(); }

	static void Run(::Test& scene, Settings& s, int frames) { StepScene(&scene, s, frames); }
};

TEST_F(SceneBaseTest, PauseFreezesTheWorldButKeepsRecordingContacts)
{
	Playground scene;
	Settings s;
	Run(scene, s, 30);
	const int steps = scene.GetStepCount();
	EXPECT_EQ(steps, 30);
	const b2Vec2 before = scene.box->GetPosition();

	s.pause = 1;
	TextCapture text;
	scene.UseContext(text);
	scene.textLine = ::Test::FirstTextLine;
	scene.Step(&s);
	EXPECT_EQ(scene.GetStepCount(), steps);
	EXPECT_EQ(scene.box->GetPosition(), before);
	EXPECT_GT(scene.GetPointCount(), 0);
	ASSERT_FALSE(text.Lines().empty());
	EXPECT_EQ(text.Lines()[0], "****PAUSED****");
	EXPECT_EQ(text.Entries()[0].x, 5);
	EXPECT_EQ(text.Entries()[0].y, 30);
	EXPECT_EQ(scene.textLine, 45);
}

TEST_F(SceneBaseTest, SingleStepAdvancesExactlyOneNormalStep)
{
	Playground scene;
	scene.box->SetTransform(b2Vec2(0.0f, 10.0f), 0.0f);
	Settings s;
	s.pause = 1;
	s.singleStep = 1;
	Run(scene, s, 1);
	EXPECT_EQ(s.singleStep, 0);
	EXPECT_EQ(scene.GetStepCount(), 1);
	const float y = scene.box->GetPosition().y;
	EXPECT_LT(y, 10.0f);
	Run(scene, s, 5);
	EXPECT_EQ(scene.GetStepCount(), 1);
	EXPECT_EQ(scene.box->GetPosition().y, y);
}

TEST_F(SceneBaseTest, ARateOfZeroOrLessMeansNoTimePasses)
{
	for (float hz : {0.0f, -60.0f})
	{
		Playground scene;
		scene.box->SetTransform(b2Vec2(0.0f, 10.0f), 0.0f);
		Settings s;
		s.hz = hz;
		Run(scene, s, 10);
		EXPECT_EQ(scene.GetStepCount(), 0);
		EXPECT_EQ(scene.box->GetPosition().y, 10.0f);
	}
}

TEST_F(SceneBaseTest, StatisticsAndProfileLinesWithZeroAveragesBeforeTheFirstStep)
{
	Playground scene;
	Settings s;
	s.drawStats = 1;
	s.drawProfile = 1;
	s.pause = 1;
	TextCapture text;
	Run(scene, s, 1);
	ASSERT_EQ(text.Lines().size(), 11u);
	EXPECT_EQ(text.Lines()[1], "bodies/contacts/joints = 5/1/0");
	EXPECT_EQ(text.IndexOf("proxies/height/balance/quality = 4/"), 2);
	const char* names[] = {"step", "collide", "solve", "solve init", "solve velocity", "solve position",
		"solveTOI", "broad-phase"};
	for (int i = 0; i < 8; ++i)
	{
		const CapturedLine& line = text.Entries()[3 + i];
		EXPECT_EQ(line.text.find(std::string(names[i]) + " [ave] (max) = "), 0u) << line.text;
		EXPECT_NE(line.text.find("[  0.00]"), std::string::npos) << line.text;
		EXPECT_EQ(line.y, 30 + 15 * (3 + i));
	}
}

TEST_F(SceneBaseTest, ContactPointsBeyondTheBufferAreDropped)
{
	// 1100 boxes resting on the floor touch it at two points each.
	Playground scene(1100);
	Settings s;
	Run(scene, s, 3);
	EXPECT_EQ(scene.GetPointCount(), MaxContactPoints);
	EXPECT_EQ(scene.GetPoint(MaxContactPoints - 1).state, b2_persistState);
}

TEST_F(SceneBaseTest, DraggingGrabsOnlyDynamicBodiesAndFollowsThePointer)
{
	Playground scene;
	scene.MouseDown(b2Vec2(10.0f, 5.0f));
	EXPECT_EQ(scene.GetMouseJoint(), nullptr);
	scene.MouseDown(b2Vec2(20.0f, 5.0f));
	EXPECT_EQ(scene.GetMouseJoint(), nullptr);
	scene.MouseDown(b2Vec2(0.0f, 50.0f));
	EXPECT_EQ(scene.GetMouseJoint(), nullptr);

	scene.MouseDown(b2Vec2(-1000.0f, 0.6f));
	ASSERT_NE(scene.GetMouseJoint(), nullptr);
	EXPECT_EQ(scene.GetMouseJoint()->GetBodyB(), scene.box);
	EXPECT_FLOAT_EQ(scene.GetMouseJoint()->GetMaxForce(), 1000.0f * scene.box->GetMass());

	scene.MouseMove(b2Vec2(-995.0f, 4.0f));
	Settings s;
	Run(scene, s, 120);
	EXPECT_NEAR(scene.box->GetPosition().x, -995.0f, 0.5f);
	EXPECT_NEAR(scene.box->GetPosition().y, 3.9f, 0.5f);

	scene.MouseUp(b2Vec2(-995.0f, 4.0f));
	EXPECT_EQ(scene.GetMouseJoint(), nullptr);
}

TEST_F(SceneBaseTest, DestroyingADraggedBodyEndsTheDrag)
{
	Playground scene;
	scene.MouseDown(b2Vec2(-1000.0f, 0.5f));
	ASSERT_NE(scene.GetMouseJoint(), nullptr);
	scene.GetWorld()->DestroyBody(scene.box);
	EXPECT_EQ(scene.GetMouseJoint(), nullptr);
	scene.MouseUp(b2Vec2(0.0f, 0.0f));
}

TEST_F(SceneBaseTest, OnlyOneBombAtATime)
{
	Playground scene;
	const int bodies = scene.GetWorld()->GetBodyCount();
	scene.LaunchBomb(b2Vec2(0.0f, 10.0f), b2Vec2(1.0f, 0.0f));
	b2Body* first = scene.GetBomb();
	ASSERT_NE(first, nullptr);
	EXPECT_TRUE(first->IsBullet());
	EXPECT_FLOAT_EQ(first->GetFixtureList()->GetShape()->m_radius, 0.3f);
	EXPECT_FLOAT_EQ(first->GetFixtureList()->GetDensity(), 20.0f);
	scene.LaunchBomb(b2Vec2(0.0f, 12.0f), b2Vec2(1.0f, 0.0f));
	EXPECT_EQ(scene.GetWorld()->GetBodyCount(), bodies + 1);
	EXPECT_EQ(scene.GetBomb()->GetPosition(), b2Vec2(0.0f, 12.0f));
}

TEST_F(SceneBaseTest, RandomBombsFallFromHeightThirtyTowardsTheMiddle)
{
	Playground scene;
	for (int i = 0; i < 50; ++i)
	{
		scene.LaunchBomb();
		const b2Vec2 p = scene.GetBomb()->GetPosition();
		const b2Vec2 v = scene.GetBomb()->GetLinearVelocity();
		EXPECT_EQ(p.y, 30.0f);
		EXPECT_GE(p.x, -15.0f);
		EXPECT_LE(p.x, 15.0f);
		EXPECT_EQ(v.y, -150.0f);
		EXPECT_FLOAT_EQ(v.x, -5.0f * p.x);
	}
}

TEST_F(SceneBaseTest, ShiftDragThrowsTheBombFromWhereTheDragBegan)
{
	Playground scene;
	scene.ShiftMouseDown(b2Vec2(5.0f, 5.0f));
	EXPECT_EQ(scene.GetBomb(), nullptr);
	scene.MouseUp(b2Vec2(4.0f, 3.0f));
	ASSERT_NE(scene.GetBomb(), nullptr);
	EXPECT_EQ(scene.GetBomb()->GetPosition(), b2Vec2(5.0f, 5.0f));
	EXPECT_EQ(scene.GetBomb()->GetLinearVelocity(), b2Vec2(30.0f, 60.0f));
	// A plain release afterwards throws nothing new.
	b2Body* bomb = scene.GetBomb();
	scene.MouseUp(b2Vec2(0.0f, 0.0f));
	EXPECT_EQ(scene.GetBomb(), bomb);
}

TEST_F(SceneBaseTest, TilesBuildsItsPyramidAndFramesTheBaseLinesWithItsOwn)
{
	Tiles scene;
	EXPECT_EQ(scene.GetFixtureCount(), 2210);
	Settings s;
	s.drawStats = 1;
	TextCapture text;
	Run(scene, s, 1);
	ASSERT_EQ(text.Lines().size(), 4u);
	EXPECT_EQ(text.IndexOf("dynamic tree height = "), 0);
	EXPECT_EQ(text.IndexOf("bodies/contacts/joints = 212/"), 1);
	EXPECT_EQ(text.IndexOf("proxies/height/balance/quality = "), 2);
	EXPECT_EQ(text.IndexOf("create time = "), 3);
	EXPECT_NE(text.Lines()[3].find(" ms, fixture count = 2210"), std::string::npos);
	EXPECT_EQ(text.Entries()[3].y, 75);

	// The pyramid settles and stands: five seconds later its 20 rows are
	// stacked one box high each.
	Run(scene, s, 300);
	float top = 0.0f;
	for (b2Body* b = scene.GetWorld()->GetBodyList(); b != nullptr; b = b->GetNext())
	{
		top = b2Max(top, b->GetPosition().y);
	}
	EXPECT_NEAR(top, 0.5f + 19 * 1.0f, 0.3f);
}
} // namespace
