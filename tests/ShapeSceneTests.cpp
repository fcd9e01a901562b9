#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "scenes/ApplyForce.h"
#include "scenes/EdgeTest.h"

#include "scenes/OneSidedPlatform.h"
#include "scenes/PolyShapes.h"
#include "scenes/ShapeEditing.h"
#include "scenes/Tumbler.h"
#include "scenes/VerticalStack.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
template <typename Scene>
std::unique_ptr<Scene> Make()
{
	EnsureGlWindow();
	return std::unique_ptr<Scene>(static_cast<Scene*>(Scene::Create()));
}

int CountFixtures(const b2Body* body)
{
	int count = 0;
	for (const b2Fixture* f = body->GetFixtureList(); f != nullptr; f = f->GetNext())
	{
		++count;
	}
	return count;
}

int CountFilledSlots(const PolyShapes& scene)
{
	int count = 0;
	for (int i = 0; i < PolyShapes::MaxBodies; ++i)
	{
		count += scene.GetBody(i) != nullptr ? 1 : 0;
	}
	return count;
}
} // namespace

TEST(TumblerScene, AddsOneBoxPerStepAndStopsAtTheLast)
{
	auto tumbler = Make<Tumbler>();
	Settings settings;
	const int startBodies = tumbler->GetWorld()->GetBodyCount();

	StepScene(tumbler.get(), settings, Tumbler::MaxBoxes - 1);
	EXPECT_EQ(Tumbler::MaxBoxes - 1, tumbler->GetBoxCount());
	StepScene(tumbler.get(), settings);
	EXPECT_EQ(Tumbler::MaxBoxes, tumbler->GetBoxCount());
	StepScene(tumbler.get(), settings, 20);
	EXPECT_EQ(Tumbler::MaxBoxes, tumbler->GetBoxCount());
	EXPECT_EQ(startBodies + Tumbler::MaxBoxes, tumbler->GetWorld()->GetBodyCount());

	// The frame keeps every box inside it.
	for (const b2Body* b = tumbler->GetWorld()->GetBodyList(); b != nullptr; b = b->GetNext())
	{
		EXPECT_LT(b2Distance(b->GetPosition(), b2Vec2(0.0f, 10.0f)), 15.0f);
	}
}

TEST(ShapeEditingScene, CreatesOneCircleAtMostAndDestroysOnlyIt)
{
	auto scene = Make<ShapeEditing>();
	Settings settings;
	b2Body* body = scene->GetBody();
	const float boxMass = body->GetMass();

	scene->Keyboard('c');
	const float withCircle = body->GetMass();
	EXPECT_EQ(2, CountFixtures(body));
	EXPECT_GT(withCircle, boxMass);

	scene->Keyboard('c');
	EXPECT_EQ(2, CountFixtures(body));
	EXPECT_FLOAT_EQ(withCircle, body->GetMass());
	StepScene(scene.get(), settings, 30);

	scene->Keyboard('d');
	EXPECT_EQ(1, CountFixtures(body));
	EXPECT_FLOAT_EQ(boxMass, body->GetMass());
	scene->Keyboard('d');
	EXPECT_EQ(1, CountFixtures(body));
	EXPECT_EQ(b2Shape::e_polygon, body->GetFixtureList()->GetType());

	scene->Keyboard('c');
	EXPECT_EQ(2, CountFixtures(body));
	StepScene(scene.get(), settings, 30);
}

TEST(ShapeEditingScene, SensorLineFollowsTheCircle)
{
	auto scene = Make<ShapeEditing>();
	Settings settings;
	TextCapture capture;
	auto sensorLine = [&] {
		capture.Clear();
		StepScene(scene.get(), settings);
		return capture.Lines().back();
	};

	// Without a circle there is nothing to switch.
	scene->Keyboard('s');
	EXPECT_EQ("sensor = 0", sensorLine());

	scene->Keyboard('c');
	scene->Keyboard('s');
	EXPECT_EQ("sensor = 1", sensorLine());
	const b2Fixture* circle = scene->GetBody()->GetFixtureList();
	ASSERT_EQ(b2Shape::e_circle, circle->GetType());
	EXPECT_TRUE(circle->IsSensor());

	scene->Keyboard('d');
	EXPECT_EQ("sensor = 0", sensorLine());
	scene->Keyboard('c');
	EXPECT_EQ("sensor = 0", sensorLine());
	EXPECT_FALSE(scene->GetBody()->GetFixtureList()->IsSensor());
}

TEST(OneSidedPlatformScene, TheBallLandsOnThePlatformFromAbove)
{
	auto scene = Make<OneSidedPlatform>();
	Settings settings;
	StepScene(scene.get(), settings, 120);
	const b2Body* ball = scene->GetCharacter();
	EXPECT_NEAR(scene->GetTop() + 0.5f, ball->GetPosition().y, 0.05f);
	EXPECT_NEAR(0.0f, ball->GetLinearVelocity().y, 0.05f);
}

TEST(OneSidedPlatformScene, TheBallPassesUpThroughThePlatformAndThenStandsOnIt)
{
	auto scene = Make<OneSidedPlatform>();
	Settings settings;
	b2Body* ball = scene->GetCharacter();
	ball->SetTransform(b2Vec2(0.0f, 5.0f), 0.0f);
	ball->SetLinearVelocity(b2Vec2(0.0f, 15.0f));

	float highest = ball->GetPosition().y;
	for (int i = 0; i < 180; ++i)
	{
		StepScene(scene.get(), settings);
		highest = std::max(highest, ball->GetPosition().y);
	}
	EXPECT_GT(highest, scene->GetTop() + 1.0f);
	EXPECT_NEAR(scene->GetTop() + 0.5f, ball->GetPosition().y, 0.05f);
}

TEST(PolygonShapesScene, DroppedBodiesFillTheSlotsAndTheOldestIsReplaced)
{
	auto scene = Make<PolyShapes>();
	Settings settings;
	const int staticBodies = scene->GetWorld()->GetBodyCount();

	// Destroying with nothing dropped is harmless.
	scene->Keyboard('d');
	EXPECT_EQ(staticBodies, scene->GetWorld()->GetBodyCount());

	for (unsigned char key : {'1', '2', '3', '4', '5'})
	{
		scene->Keyboard(key);
	}
	EXPECT_EQ(5, CountFilledSlots(*scene));
	EXPECT_EQ(b2Shape::e_circle, scene->GetBody(4)->GetFixtureList()->GetType());
	EXPECT_EQ(8, static_cast<const b2PolygonShape*>(scene->GetBody(2)->GetFixtureList()->GetShape())->m_count);

	scene->Keyboard('a');
	EXPECT_FALSE(scene->GetBody(0)->IsEnabled());
	EXPECT_TRUE(scene->GetBody(1)->IsEnabled());
	EXPECT_FALSE(scene->GetBody(4)->IsEnabled());
	scene->Keyboard('a');
	EXPECT_TRUE(scene->GetBody(0)->IsEnabled());

	scene->Keyboard('d');
	EXPECT_EQ(nullptr, scene->GetBody(0));
	EXPECT_EQ(4, CountFilledSlots(*scene));

	for (int i = 0; i < PolyShapes::MaxBodies + 10; ++i)
	{
		scene->Keyboard('4');
	}
	EXPECT_EQ(PolyShapes::MaxBodies, CountFilledSlots(*scene));
	EXPECT_EQ(staticBodies + PolyShapes::MaxBodies, scene->GetWorld()->GetBodyCount());
}

TEST(PolygonShapesScene, TheQueryCircleHighlightsAtMostFourDroppedShapes)
{
	auto scene = Make<PolyShapes>();
	Settings settings;
	// Stepping with the world held still keeps the boxes where they are put.
	settings.pause = 1;
	StepScene(scene.get(), settings);
	EXPECT_EQ(0, scene->GetHighlightCount());

	// The circle has radius 2 about (0, 1.1): the outer two boxes miss it.
	const b2Vec2 places[] = {b2Vec2(-2.75f, 0.5f), b2Vec2(2.75f, 0.5f), b2Vec2(-1.65f, 0.5f),
		b2Vec2(0.55f, 0.5f), b2Vec2(1.65f, 0.5f), b2Vec2(-0.55f, 0.5f), b2Vec2(-0.55f, 1.7f),
		b2Vec2(0.55f, 1.7f)};
	int slot = 0;
	for (const b2Vec2& place : places)
	{
		scene->Keyboard('4');
		scene->GetBody(slot++)->SetTransform(place, 0.0f);
		if (slot == 5)
		{
			StepScene(scene.get(), settings);
			EXPECT_EQ(3, scene->GetHighlightCount());
		}
	}
	StepScene(scene.get(), settings);
	EXPECT_EQ(PolyShapesCallback::MaxCount, scene->GetHighlightCount());
}

TEST(ApplyForceScene, TurnKeysApplyTorquesOfFiftyAndThrustPushesAlongTheShip)
{
	auto scene = Make<ApplyForce>();
	Settings settings;
	b2Body* ship = scene->GetShip();
	const float dt = 1.0f / 60.0f;
	const float inertia = ship->GetInertia() - ship->GetMass() * ship->GetLocalCenter().LengthSquared();
	// Angular damping 5 and linear damping 0.1 take their share per step.
	scene->Keyboard('a');
	StepScene(scene.get(), settings);
	const float spin = 50.0f * dt / inertia / (1.0f + 5.0f * dt);
	EXPECT_NEAR(ship->GetAngularVelocity(), spin, 1e-3f * spin);
	scene->Keyboard('d');
	scene->Keyboard('d');
	StepScene(scene.get(), settings);
	EXPECT_NEAR(ship->GetAngularVelocity(), (spin - 100.0f * dt / inertia) / (1.0f + 5.0f * dt), 1e-3f * spin);

	// The ship stands upside down: its thrust (0, -200) pushes up.
	scene->Keyboard('w');
	StepScene(scene.get(), settings);
	const b2Vec2 v = ship->GetLinearVelocity();
	EXPECT_NEAR(v.y, 200.0f * dt / ship->GetMass() / (1.0f + 0.1f * dt), 1e-3f);
	EXPECT_NEAR(v.x, 0.0f, 0.02f);
}

TEST(VerticalStackScene, CommaReplacesTheBulletThatStrikesTheFirstColumn)
{
	auto scene = Make<VerticalStack>();
	Settings settings;
	b2World* world = scene->GetWorld();
	const int bodies = world->GetBodyCount();
	for (int shot = 0; shot < 2; ++shot)
	{
		scene->Keyboard(',');
		EXPECT_EQ(world->GetBodyCount(), bodies + 1);
		b2Body* bullet = scene->GetBullet();
		ASSERT_NE(bullet, nullptr);
		EXPECT_EQ(bullet->GetPosition(), b2Vec2(-31.0f, 5.0f));
		EXPECT_EQ(bullet->GetFixtureList()->GetShape()->m_radius, 0.25f);
		// It moves 2 units a step, the most a body may, and would leap past
		// the first column's boxes; as a bullet it strikes one and slows.
		while (bullet->GetPosition().x < -10.9f)
		{
			StepScene(scene.get(), settings);
		}
		// The second shot finds that box knocked out.
		if (shot == 0)
		{
			EXPECT_LT(bullet->GetLinearVelocity().x, 110.0f);
		}
	}
}

// The run of edges is linked through its neighbours: bodies glide over the
// joins as over one surface.
TEST(EdgeTestScene, BodiesGlideOverTheJoinsOfTheRunWithoutHopping)
{
	auto scene = Make<EdgeTest>();
	Settings settings;
	b2Body* bodies[2] = {};
	for (b2Body* body = scene->GetWorld()->GetBodyList(); body != nullptr; body = body->GetNext())
	{
		if (body->GetType() == b2_dynamicBody)
		{
			bodies[body->GetFixtureList()->GetType() == b2Shape::e_circle ? 0 : 1] = body;
		}
	}
	for (b2Body* body : bodies)
	{
		for (b2Body* other : bodies)
		{
			other->SetEnabled(other == body);
		}
		body->SetTransform(b2Vec2(3.0f, 0.5f), 0.0f);
		StepScene(scene.get(), settings, 10);
		// Driven left at 20 a second across the join at x = 0.
		float highest = 0.0f;
		for (int frame = 0; frame < 15; ++frame)
		{
			body->SetLinearVelocity(b2Vec2(-20.0f, body->GetLinearVelocity().y));
			StepScene(scene.get(), settings);
			highest = b2Max(highest, std::fabs(body->GetLinearVelocity().y));

		}
		EXPECT_LT(body->GetPosition().x, -0.5f);
		EXPECT_LT(highest, 0.05f);
	}
}
