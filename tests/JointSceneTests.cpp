#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "scenes/BodyTypes.h"
#include "scenes/Car.h"
#include "scenes/Gears.h"
#include "scenes/Pinball.h"
#include "scenes/Prismatic.h"
#include "scenes/Pulleys.h"
#include "scenes/Revolute.h"
#include "scenes/RopeJoint.h"
#include "scenes/Web.h"
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

int CountJoints(b2World* world)
{
	int count = 0;
	for (b2Joint* j = world->GetJointList(); j != nullptr; j = j->GetNext())
	{
		++count;
	}
	return count;
}

bool JointIsLive(b2World* world, b2Joint* joint)
{
	for (b2Joint* j = world->GetJointList(); j != nullptr; j = j->GetNext())
	{
		if (j == joint)
		{
			return true;
		}
	}
	return false;
}

// Every filled slot of the web holds a joint the world still has, and the
// world has no joint the web has lost track of.
void ExpectWebSlotsMatchWorld(const Web& web)
{
	b2World* world = web.GetWorld();
	int filled = 0;
	for (int i = 0; i < Web::JointCount; ++i)
	{
		if (web.GetJoint(i) != nullptr)
		{
			EXPECT_TRUE(JointIsLive(world, web.GetJoint(i))) << "slot " << i;
			++filled;
		}
	}
	EXPECT_EQ(filled, CountJoints(world));
}

b2Body* BodyAt(b2World* world, const b2Vec2& position)
{
	for (b2Body* body = world->GetBodyList(); body != nullptr; body = body->GetNext())
	{
		if (b2Distance(body->GetPosition(), position) < 1e-4f)
		{
			return body;
		}
	}
	return nullptr;
}

int CountBodies(const Web& web)
{
	int count = 0;
	for (int i = 0; i < Web::BodyCount; ++i)
	{
		count += web.GetBody(i) != nullptr ? 1 : 0;
	}
	return count;
}
} // namespace

TEST(WebScene, EachJointKeyRemovesOneJointUntilNoneAreLeft)
{
	auto web = Make<Web>();
	Settings settings;
	ASSERT_EQ(Web::JointCount, CountJoints(web->GetWorld()));

	for (int press = 1; press <= Web::JointCount + 2; ++press)
	{
		web->Keyboard('j');
		StepScene(web.get(), settings);
		EXPECT_EQ(std::max(0, Web::JointCount - press), CountJoints(web->GetWorld())) << "press " << press;
		ExpectWebSlotsMatchWorld(*web);
	}
	EXPECT_EQ(Web::BodyCount, CountBodies(*web));
}

TEST(WebScene, DeletingABodyClearsTheSlotsOfTheJointsThatDiedWithIt)
{
	auto web = Make<Web>();
	Settings settings;
	const int worldBodies = web->GetWorld()->GetBodyCount();

	// Box 0 hangs on three joints: one to the ground and one to each neighbour.
	web->Keyboard('b');
	EXPECT_EQ(nullptr, web->GetBody(0));
	EXPECT_EQ(worldBodies - 1, web->GetWorld()->GetBodyCount());
	EXPECT_EQ(Web::JointCount - 3, CountJoints(web->GetWorld()));
	ExpectWebSlotsMatchWorld(*web);

	// The next joint key must skip the cleared slots and hit a live joint.
	web->Keyboard('j');
	EXPECT_EQ(Web::JointCount - 4, CountJoints(web->GetWorld()));
	ExpectWebSlotsMatchWorld(*web);
	StepScene(web.get(), settings, 10);

	for (int press = 2; press <= Web::BodyCount + 2; ++press)
	{
		web->Keyboard('b');
		StepScene(web.get(), settings);
		EXPECT_EQ(std::max(0, Web::BodyCount - press), CountBodies(*web)) << "press " << press;
		ExpectWebSlotsMatchWorld(*web);
	}
	EXPECT_EQ(worldBodies - Web::BodyCount, web->GetWorld()->GetBodyCount());
	EXPECT_EQ(0, CountJoints(web->GetWorld()));

	// Nothing is left to remove; the keys must do nothing.
	web->Keyboard('j');
	web->Keyboard('b');
	StepScene(web.get(), settings);
}

TEST(CarScene, FrequencyKeysNeverMakeTheSpringsNegative)
{
	auto car = Make<Car>();
	Settings settings;
	TextCapture capture;

	for (int i = 0; i < 10; ++i)
	{
		car->Keyboard('q');
	}
	capture.Clear();
	StepScene(car.get(), settings, 60);
	ASSERT_GE(capture.Lines().size(), 2u);
	EXPECT_EQ("frequency = 0 hz, damping ratio = 0.7", capture.Lines().back());
	for (int i = 0; i < 2; ++i)
	{
		EXPECT_EQ(0.0f, car->GetSpring(i)->GetStiffness());
		EXPECT_EQ(0.0f, car->GetSpring(i)->GetDamping());
	}

	car->Keyboard('e');
	capture.Clear();
	StepScene(car.get(), settings);
	EXPECT_EQ("frequency = 1 hz, damping ratio = 0.7", capture.Lines().back());
	EXPECT_GT(car->GetSpring(0)->GetStiffness(), 0.0f);
	EXPECT_GT(car->GetSpring(1)->GetDamping(), 0.0f);
}

TEST(CarScene, DriveKeysTurnTheDrivenWheelAndTheCameraFollows)
{
	auto car = Make<Car>();
	Settings settings;

	car->Keyboard('d');
	EXPECT_EQ(-50.0f, car->GetSpring(0)->GetMotorSpeed());
	StepScene(car.get(), settings, 120);
	const float x = car->GetSpring(0)->GetBodyA()->GetPosition().x;
	EXPECT_GT(x, 2.0f);
	EXPECT_NEAR(settings.viewCenter.x, x, 1.0f);

	car->Keyboard('s');
	EXPECT_EQ(0.0f, car->GetSpring(0)->GetMotorSpeed());
	car->Keyboard('a');
	EXPECT_EQ(50.0f, car->GetSpring(0)->GetMotorSpeed());
	EXPECT_FALSE(car->GetSpring(1)->IsMotorEnabled());
}

TEST(RopeJointScene, TheRopeKeyTogglesTheRopeAndTheWeightsReach)
{
	auto scene = Make<RopeJoint>();
	Settings settings;
	TextCapture capture;
	const b2Vec2 anchor = scene->GetRopeAnchor();
	const float ropeLength = scene->GetRopeLength();
	EXPECT_FLOAT_EQ(9.01f, ropeLength);

	auto maxReach = [&](int steps) {
		float reach = 0.0f;
		for (int i = 0; i < steps; ++i)
		{
			StepScene(scene.get(), settings);
			reach = std::max(reach, b2Distance(anchor, scene->GetWeight()->GetPosition()));
		}
		return reach;
	};

	ASSERT_NE(nullptr, scene->GetRope());
	const float tiedReach = maxReach(300);
	EXPECT_LE(tiedReach, ropeLength + 0.05f);
	EXPECT_EQ("Rope ON", capture.Lines().back());

	const int joints = CountJoints(scene->GetWorld());
	scene->Keyboard('j');
	EXPECT_EQ(nullptr, scene->GetRope());
	EXPECT_EQ(joints - 1, CountJoints(scene->GetWorld()));
	const float freeReach = maxReach(300);
	EXPECT_GT(freeReach, ropeLength + 0.3f);
	EXPECT_EQ("Rope OFF", capture.Lines().back());

	scene->Keyboard('j');
	ASSERT_NE(nullptr, scene->GetRope());
	EXPECT_EQ(joints, CountJoints(scene->GetWorld()));
	maxReach(120);
	EXPECT_LE(maxReach(300), ropeLength + 0.05f);
	EXPECT_EQ("Rope ON", capture.Lines().back());
}

TEST(PinballScene, FlippersRiseWhileTheKeyIsHeldAndFallWhenReleased)
{
	auto pinball = Make<Pinball>();
	Settings settings;
	const float tolerance = 0.05f;
	b2RevoluteJoint* left = pinball->GetLeftJoint();
	b2RevoluteJoint* right = pinball->GetRightJoint();

	StepScene(pinball.get(), settings, 60);
	EXPECT_NEAR(left->GetLowerLimit(), left->GetJointAngle(), tolerance);
	EXPECT_NEAR(right->GetUpperLimit(), right->GetJointAngle(), tolerance);

	for (unsigned char key : {'a', 'A'})
	{
		pinball->Keyboard(key);
		StepScene(pinball.get(), settings, 30);
		EXPECT_NEAR(left->GetUpperLimit(), left->GetJointAngle(), tolerance) << key;
		EXPECT_NEAR(right->GetLowerLimit(), right->GetJointAngle(), tolerance) << key;

		pinball->KeyboardUp(key);
		StepScene(pinball.get(), settings, 60);
		EXPECT_NEAR(left->GetLowerLimit(), left->GetJointAngle(), tolerance) << key;
		EXPECT_NEAR(right->GetUpperLimit(), right->GetJointAngle(), tolerance) << key;
	}

	// Other keys leave the flippers down.
	pinball->Keyboard('b');
	StepScene(pinball.get(), settings, 30);
	EXPECT_NEAR(left->GetLowerLimit(), left->GetJointAngle(), tolerance);
}

TEST(PinballScene, TheBallStaysOnTheTable)
{
	auto pinball = Make<Pinball>();
	Settings settings;
	for (int i = 0; i < 600; ++i)
	{
		pinball->Keyboard(i % 40 < 20 ? 'a' : 'x');
		if (i % 40 >= 20)
		{
			pinball->KeyboardUp('a');
		}
		StepScene(pinball.get(), settings);
		const b2Vec2 p = pinball->GetBall()->GetPosition();
		ASSERT_TRUE(p.x > -8.0f && p.x < 8.0f && p.y > -2.0f && p.y < 20.0f) << p.x << ", " << p.y << " at " << i;
	}
}

TEST(PrismaticScene, ItsKeysToggleTheLimitAndTheMotorAndReverseTheMotor)
{
	auto scene = Make<Prismatic>();
	Settings settings;
	auto* joint = static_cast<b2PrismaticJoint*>(scene->GetWorld()->GetJointList());
	// The motor drives the box up its rail at 10 a second to the limit at 20.
	StepScene(scene.get(), settings, 180);
	EXPECT_NEAR(joint->GetJointTranslation(), 20.0f, 0.05f);
	scene->Keyboard('l');
	StepScene(scene.get(), settings, 30);
	EXPECT_NEAR(joint->GetJointTranslation(), 25.0f, 0.2f);
	scene->Keyboard('s');
	StepScene(scene.get(), settings, 30);
	EXPECT_NEAR(joint->GetJointSpeed(), -10.0f, 0.01f);
	// Without its motor the box slides down the rail ever faster.
	scene->Keyboard('m');
	StepScene(scene.get(), settings, 30);
	EXPECT_LT(joint->GetJointSpeed(), -11.0f);
}

TEST(BodyTypesScene, ItsKeysMakeThePlatformStaticKinematicAndDynamic)
{
	auto scene = Make<BodyTypes>();
	Settings settings;
	b2Body* platform = scene->GetPlatform();
	StepScene(scene.get(), settings, 30);
	scene->Keyboard('s');
	const b2Vec2 held = platform->GetPosition();
	StepScene(scene.get(), settings, 60);
	EXPECT_EQ(platform->GetType(), b2_staticBody);
	EXPECT_EQ(platform->GetPosition(), held);
	// Kinematic, it slides left at 3 a second without turning.
	scene->Keyboard('k');
	const float angle = platform->GetAngle();
	StepScene(scene.get(), settings, 60);
	EXPECT_EQ(platform->GetType(), b2_kinematicBody);
	EXPECT_NEAR(platform->GetPosition().x, held.x - 3.0f, 0.01f);
	EXPECT_EQ(platform->GetAngle(), angle);
	scene->Keyboard('d');
	EXPECT_EQ(platform->GetType(), b2_dynamicBody);
}

// A fixed small wheel geared 2 to 1 to a large wheel that hangs from it on
// an arm: swung, the arm turns the large wheel by half its own angle.
TEST(GearsScene, TheArmTurnsTheLargeWheelByHalfItsAngle)
{
	auto gears = Make<Gears>();
	b2Body* arm = BodyAt(gears->GetWorld(), b2Vec2(10.0f, 8.0f));
	b2Body* wheel = BodyAt(gears->GetWorld(), b2Vec2(10.0f, 6.0f));
	ASSERT_TRUE(arm != nullptr && wheel != nullptr);
	arm->SetAngularVelocity(2.0f);
	Settings settings;
	StepScene(gears.get(), settings, 30);
	EXPECT_GT(std::fabs(arm->GetAngle()), 0.2f);
	EXPECT_NEAR(wheel->GetAngle(), 0.5f * arm->GetAngle(), 0.01f);
	EXPECT_NEAR(b2Distance(arm->GetWorldPoint(b2Vec2(0.0f, 1.0f)), b2Vec2(10.0f, 9.0f)), 0.0f, 0.01f);
	EXPECT_NEAR(b2Distance(wheel->GetPosition(), b2Vec2(10.0f, 9.0f)), 3.0f, 0.01f);
}

// The text lines state the invariant each coupling keeps; they must hold it.
TEST(CouplingScenes, GearAndPulleyRelationsStayConstant)
{
	Settings settings;
	TextCapture capture;

	auto gears = Make<Gears>();
	StepScene(gears.get(), settings);
	ASSERT_EQ(2u, capture.Lines().size());
	EXPECT_EQ("theta1 + 2.00 * theta2 = 0.00", capture.Lines()[0]);
	EXPECT_EQ("theta2 + -0.50 * delta = 0.00", capture.Lines()[1]);
	StepScene(gears.get(), settings, 300);
	capture.Clear();
	StepScene(gears.get(), settings);
	EXPECT_EQ("theta1 + 2.00 * theta2 = 0.00", capture.Lines()[0]);
	EXPECT_EQ("theta2 + -0.50 * delta = 0.00", capture.Lines()[1]);

	auto pulleys = Make<Pulleys>();
	capture.Clear();
	StepScene(pulleys.get(), settings);
	ASSERT_EQ(1u, capture.Lines().size());
	const std::string first = capture.Lines()[0];
	EXPECT_EQ("L1 + 1.50 * L2 = 30.00", first);
	StepScene(pulleys.get(), settings, 300);
	capture.Clear();
	StepScene(pulleys.get(), settings);
	EXPECT_EQ(first, capture.Lines()[0]);
}

TEST(RevoluteScene, TheBallStaysWithinItsLimitsWithTheMotorOnAndOff)
{
	for (bool motor : {true, false})
	{
		auto scene = Make<Revolute>();
		b2RevoluteJoint* joint = scene->GetJoint();
		EXPECT_TRUE(joint->IsLimitEnabled() && joint->IsMotorEnabled());
		joint->EnableMotor(motor);
		Settings settings;
		float lowest = 0.0f;
		float highest = 0.0f;
		for (int frame = 0; frame < 600; ++frame)
		{
			scene->Step(&settings);
			lowest = b2Min(lowest, joint->GetJointAngle());
			highest = b2Max(highest, joint->GetJointAngle());
		}
		EXPECT_GE(lowest, joint->GetLowerLimit() - b2_angularSlop) << "motor " << motor;
		EXPECT_LE(highest, joint->GetUpperLimit() + b2_angularSlop) << "motor " << motor;
		// Driven there by the motor, or fallen there, it rests on the limit.
		EXPECT_NEAR(joint->GetJointAngle(), joint->GetUpperLimit(), b2_angularSlop) << "motor " << motor;
	}
}

// How far the ball really is from the allowed arc, whatever turns the joint
// angle has counted: 0 inside it.
float RadiansOutsideArc(const b2RevoluteJoint& joint)
{
	const float angle = std::remainder(joint.GetJointAngle(), 2.0f * b2_pi);
	const float below = joint.GetLowerLimit() - angle;
	const float above = angle - joint.GetUpperLimit();
	if (below <= 0.0f && above <= 0.0f)
	{
		return 0.0f;
	}
	// Outside the arc, the ball is short of one limit and past the other.
	return b2Min(below > 0.0f ? below : below + 2.0f * b2_pi, above > 0.0f ? above : above + 2.0f * b2_pi);
}

// The limit is switched off while the motor turns the ball on for 1, 2.5 or 3
// seconds, leaving it short of the lower limit or past the upper one, with
// whole turns counted, and switched on again, with the motor on or off.
TEST(RevoluteScene, ALimitSwitchedBackOnReturnsTheBallTheShortWayWithinASecond)
{
	constexpr int Second = 60;
	constexpr float Tolerance = 1.25f * b2_angularSlop;
	for (int offFrames : {Second, 5 * Second / 2, 3 * Second})
	{
		for (bool motor : {true, false})
		{
			auto scene = Make<Revolute>();
			b2RevoluteJoint* joint = scene->GetJoint();
			Settings settings;
			StepScene(scene.get(), settings, 2 * Second);
			scene->Keyboard('l');
			StepScene(scene.get(), settings, offFrames);
			if (!motor)
			{
				scene->Keyboard('m');
			}
			scene->Keyboard('l');
			ASSERT_TRUE(joint->IsLimitEnabled());
			const float outsideAtStart = RadiansOutsideArc(*joint);
			float farthest = 0.0f;
			float lowest = joint->GetUpperLimit();
			float highest = joint->GetLowerLimit();
			for (int frame = 0; frame < 10 * Second; ++frame)
			{
				scene->Step(&settings);
				farthest = b2Max(farthest, RadiansOutsideArc(*joint));
				if (frame >= Second)
				{
					lowest = b2Min(lowest, joint->GetJointAngle());
					highest = b2Max(highest, joint->GetJointAngle());
				}
			}
			const std::string where = "limit off for " + std::to_string(offFrames) + " frames, motor " +
				std::to_string(motor) + ", outside by " + std::to_string(outsideAtStart) + " rad";
			EXPECT_GT(outsideAtStart, 0.5f) << where;
			// Never round the long way, through the part of the circle the
			// limit forbids.
			EXPECT_LE(farthest, outsideAtStart + Tolerance) << where;
			EXPECT_GE(lowest, joint->GetLowerLimit() - Tolerance) << where;
			EXPECT_LE(highest, joint->GetUpperLimit() + Tolerance) << where;
		}
	}
}
