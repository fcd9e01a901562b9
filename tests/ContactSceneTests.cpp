// Scenes whose point lies in their contacts: breaking, removing, filtering,
// sensing, confining and catching fast bodies.

#include <gtest/gtest.h>

#include <memory>

#include "scenes/Breakable.h"
#include "scenes/BulletTest.h"
#include "scenes/CollisionFiltering.h"
#include "scenes/CollisionProcessing.h"
#include "scenes/Confined.h"
#include "scenes/ContinuousTest.h"
#include "scenes/SensorTest.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
class ContactScenes : public testing::Test
{
protected:
	void SetUp() override
	{
		EnsureGlWindow();
	}

	Settings settings;
};

bool HasBody(b2World* world, const b2Body* wanted)
{
	for (b2Body* body = world->GetBodyList(); body != nullptr; body = body->GetNext())
	{
		if (body == wanted)
		{
			return true;
		}
	}
	return false;
}

int CountDynamic(b2World* world)
{
	int count = 0;
	for (b2Body* body = world->GetBodyList(); body != nullptr; body = body->GetNext())
	{
		count += body->GetType() == b2_dynamicBody ? 1 : 0;
	}
	return count;
}

// The first touching contact that involves body.
b2Contact* TouchingContactOf(b2World* world, const b2Body* body)
{
	for (b2Contact* c = world->GetContactList(); c != nullptr; c = c->GetNext())
	{
		if (c->IsTouching() && (c->GetFixtureA()->GetBody() == body || c->GetFixtureB()->GetBody() == body))
		{
			return c;
		}
	}
	return nullptr;
}

b2ContactImpulse Impulse(float normal)
{
	b2ContactImpulse impulse{};
	impulse.normalImpulses[0] = normal;
	impulse.normalImpulses[1] = normal;
	impulse.count = 2;
	return impulse;
}

TEST_F(ContactScenes, BreakableSplitsOnceWhenItsFallIsHardEnough)
{
	std::unique_ptr<Breakable> scene(static_cast<Breakable*>(Breakable::Create()));
	const int before = scene->GetWorld()->GetBodyCount();

	int frame = 0;
	while (!scene->IsBroken() && frame < 600)
	{
		StepScene(scene.get(), &settings);
		++frame;
	}
	ASSERT_TRUE(scene->IsBroken()) << "a fall from 40 must break it";
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), before + 1);
	EXPECT_EQ(scene->GetBody()->GetFixtureList()->GetNext(), nullptr) << "one box left on the first body";

	StepScene(scene.get(), &settings, 300);
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), before + 1) << "it breaks only once";
}

TEST_F(ContactScenes, BreakableBreaksOnlyAboveItsImpulseLimit)
{
	std::unique_ptr<Breakable> scene(static_cast<Breakable*>(Breakable::Create()));
	b2Body* body = scene->GetBody();
	// Rest it on the ground so a real contact exists without a hard blow.
	body->SetTransform(b2Vec2(0.0f, 0.5f), 0.0f);
	body->SetLinearVelocity(b2Vec2_zero);
	body->SetAngularVelocity(0.0f);
	StepScene(scene.get(), &settings, 2);
	b2Contact* contact = TouchingContactOf(scene->GetWorld(), body);
	ASSERT_NE(contact, nullptr);
	ASSERT_FALSE(scene->IsBreakRequested());
	const int before = scene->GetWorld()->GetBodyCount();

	b2ContactImpulse impulse = Impulse(Breakable::BreakImpulse - 0.1f);
	scene->PostSolve(contact, &impulse);
	EXPECT_FALSE(scene->IsBreakRequested());

	impulse = Impulse(Breakable::BreakImpulse + 0.1f);
	scene->PostSolve(contact, &impulse);
	EXPECT_TRUE(scene->IsBreakRequested());
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), before) << "the split waits for the next step";

	StepScene(scene.get(), &settings);
	EXPECT_TRUE(scene->IsBroken());
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), before + 1);

	contact = TouchingContactOf(scene->GetWorld(), body);
	if (contact != nullptr)
	{
		impulse = Impulse(1000.0f);
		scene->PostSolve(contact, &impulse);
	}
	EXPECT_FALSE(scene->IsBreakRequested());
	StepScene(scene.get(), &settings);
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), before + 1);
}

TEST_F(ContactScenes, BreakableIgnoresHardHitsElsewhere)
{
	std::unique_ptr<Breakable> scene(static_cast<Breakable*>(Breakable::Create()));
	// A heavy bomb slams into the ground far from the falling body.
	scene->LaunchBomb(b2Vec2(30.0f, 3.0f), b2Vec2(0.0f, -200.0f));
	StepScene(scene.get(), &settings, 5);
	EXPECT_FALSE(scene->IsBreakRequested());
	EXPECT_FALSE(scene->IsBroken());
}

TEST_F(ContactScenes, CollisionProcessingRemovesLighterBodiesButNeverTheBomb)
{
	std::unique_ptr<CollisionProcessing> scene(static_cast<CollisionProcessing*>(CollisionProcessing::Create()));
	b2World* world = scene->GetWorld();
	ASSERT_EQ(CountDynamic(world), 6);

	b2Body* heaviest = nullptr;
	for (b2Body* body = world->GetBodyList(); body != nullptr; body = body->GetNext())
	{
		if (heaviest == nullptr || body->GetMass() > heaviest->GetMass())
		{
			heaviest = body;
		}
	}

	for (int frame = 0; frame < 600; ++frame)
	{
		// Keep throwing the bomb at the heaviest body: the bomb is the
		// lighter of the two and would be chosen for removal.
		if (frame % 30 == 0)
		{
			const b2Vec2 target = heaviest->GetPosition();
			scene->LaunchBomb(target + b2Vec2(0.0f, 4.0f), b2Vec2(0.0f, -20.0f));
		}
		StepScene(scene.get(), &settings);
		ASSERT_NE(scene->GetBomb(), nullptr);
		ASSERT_TRUE(HasBody(world, scene->GetBomb())) << "bomb destroyed at frame " << frame;
	}

	EXPECT_TRUE(HasBody(world, heaviest)) << "the heaviest body is never the lighter one";
	const int survivors = CountDynamic(world) - 1;
	EXPECT_LT(survivors, 6) << "touching bodies must have been removed";
}

TEST_F(ContactScenes, CollisionFilteringKeepsExcludedPairsApart)
{
	std::unique_ptr<CollisionFiltering> scene(static_cast<CollisionFiltering*>(CollisionFiltering::Create()));
	b2World* world = scene->GetWorld();

	for (int frame = 0; frame < 600; ++frame)
	{
		StepScene(scene.get(), &settings);
		for (b2Contact* c = world->GetContactList(); c != nullptr; c = c->GetNext())
		{
			if (!c->IsTouching())
			{
				continue;
			}
			const b2Filter& a = c->GetFixtureA()->GetFilterData();
			const b2Filter& b = c->GetFixtureB()->GetFilterData();
			ASSERT_FALSE(a.groupIndex == -1 && b.groupIndex == -1) << "large shapes touched at frame " << frame;
			const bool boxAndTriangle = (a.categoryBits == 0x0004 && b.categoryBits == 0x0002) ||
				(a.categoryBits == 0x0002 && b.categoryBits == 0x0004);
			ASSERT_FALSE(boxAndTriangle) << "box touched triangle at frame " << frame;
		}
	}
	// Not a filter test unless the shapes actually tumble together.
	EXPECT_GT(world->GetContactCount(), 0);
}

TEST_F(ContactScenes, SensorTracksAndPullsTheBallsThatOverlapIt)
{
	std::unique_ptr<SensorTest> scene(static_cast<SensorTest*>(SensorTest::Create()));
	const b2Vec2 center = scene->GetSensorCenter();
	// Overlap of the sensor (radius 5) and a ball (radius 1). Contacts are
	// updated from the positions at the start of a step, so frames with a
	// ball right at the rim are not judged.
	const float touchDistance = 6.0f;
	const float rimTolerance = 0.5f;
	bool everTouched[SensorTest::BallCount] = {};

	for (int frame = 0; frame < 120; ++frame)
	{
		StepScene(scene.get(), &settings);
		for (int i = 0; i < SensorTest::BallCount; ++i)
		{
			const float d = b2Distance(scene->GetBall(i)->GetPosition(), center);
			if (d < touchDistance - rimTolerance)
			{
				ASSERT_TRUE(scene->IsTouching(i)) << "ball " << i << " inside at frame " << frame;
			}
			else if (d > touchDistance + rimTolerance)
			{
				ASSERT_FALSE(scene->IsTouching(i)) << "ball " << i << " outside at frame " << frame;
			}
			everTouched[i] = everTouched[i] || scene->IsTouching(i);
		}
	}

	// The balls at x = -1 and 2 fall through the sensor and are drawn
	// towards its centre line; the outermost ones fall straight.
	EXPECT_TRUE(everTouched[3]);
	EXPECT_TRUE(everTouched[4]);
	EXPECT_FALSE(everTouched[0]);
	EXPECT_FALSE(everTouched[6]);
	EXPECT_FLOAT_EQ(scene->GetBall(0)->GetPosition().x, -10.0f);
	EXPECT_LT(scene->GetBall(4)->GetPosition().x, 2.0f - 0.5f) << "pulled towards x = 0";
}

TEST_F(ContactScenes, ConfinedAddsACircleInsideTheBoxPerPress)
{
	std::unique_ptr<Confined> scene(static_cast<Confined*>(Confined::Create()));
	const int before = scene->GetWorld()->GetBodyCount();
	for (int i = 0; i < 20; ++i)
	{
		scene->Keyboard('c');
		EXPECT_EQ(scene->GetWorld()->GetBodyCount(), before + i + 1);
	}
	EXPECT_EQ(scene->GetCircleCount(), 20);
	scene->Keyboard('x');
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), before + 20);

	StepScene(scene.get(), &settings, 600);
	for (b2Body* body = scene->GetWorld()->GetBodyList(); body != nullptr; body = body->GetNext())
	{
		if (body->GetType() != b2_dynamicBody)
		{
			continue;
		}
		EXPECT_EQ(body->GetFixtureList()->GetType(), b2Shape::e_circle);
		const b2Vec2 p = body->GetPosition();
		EXPECT_TRUE(p.x > -10.0f && p.x < 10.0f && p.y > 0.0f && p.y < 20.0f) << p.x << ", " << p.y;
	}
}

TEST_F(ContactScenes, FastBodiesDoNotTunnelThroughTheGround)
{
	std::unique_ptr<BulletTest> bullet(static_cast<BulletTest*>(BulletTest::Create()));
	std::unique_ptr<ContinuousTest> bar(static_cast<ContinuousTest*>(ContinuousTest::Create()));
	for (int frame = 0; frame < 120; ++frame)
	{
		StepScene(bullet.get(), &settings);
		StepScene(bar.get(), &settings);

		// While over the ground (x from -10 to 10) nothing sinks below it.
		const b2Vec2 p = bullet->GetBullet()->GetPosition();
		if (p.x > -9.5f && p.x < 9.5f)
		{
			ASSERT_GT(p.y, 0.0f) << "bullet through the ground at frame " << frame;
		}
		const b2Vec2 q = bar->GetBar()->GetPosition();
		if (q.x > -7.5f && q.x < 7.5f)
		{
			ASSERT_GT(q.y, -0.1f) << "bar through the ground at frame " << frame;
		}
	}
}
} // namespace
