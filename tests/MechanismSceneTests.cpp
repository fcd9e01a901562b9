// Stacks, jointed structures and machines: they must hold together and do
// what they were built to do.

#include <gtest/gtest.h>

#include <memory>

#include "scenes/Bridge.h"
#include "scenes/Cantilever.h"
#include "scenes/Chain.h"
#include "scenes/Dominos.h"
#include "scenes/Pyramid.h"
#include "scenes/SliderCrank.h"
#include "scenes/Tarvo.h"
#include "scenes/VaryingFriction.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
class MechanismScenes : public testing::Test
{
protected:
	void SetUp() override
	{
		EnsureGlWindow();
	}

	Settings settings;
};

// Largest gap between the two anchors of any revolute joint: a joint that
// holds keeps its anchors together.
float WidestRevoluteGap(b2World* world)
{
	float widest = 0.0f;
	for (b2Joint* joint = world->GetJointList(); joint != nullptr; joint = joint->GetNext())
	{
		if (joint->GetType() == e_revoluteJoint)
		{
			widest = b2Max(widest, b2Distance(joint->GetAnchorA(), joint->GetAnchorB()));
		}
	}
	return widest;
}

TEST_F(MechanismScenes, PyramidSettlesWithoutToppling)
{
	std::unique_ptr<Pyramid> scene(static_cast<Pyramid*>(Pyramid::Create()));
	EXPECT_EQ(scene->GetWorld()->GetBodyCount(), 210 + 2);
	b2Body* top = scene->GetTopBox();
	const b2Vec2 start = top->GetPosition();
	// Rows start a quarter unit apart and close the gaps as they land.
	EXPECT_NEAR(start.y, 0.75f + 19 * 1.25f, 1e-4f);

	StepScene(scene.get(), &settings, 600);
	const b2Vec2 end = top->GetPosition();
	EXPECT_NEAR(end.x, start.x, 0.25f);
	EXPECT_GT(end.y, 0.5f + 19.0f - 0.25f) << "the top box sank: the pyramid collapsed";
	EXPECT_LT(end.y, start.y);
}

TEST_F(MechanismScenes, BridgeAndChainJointsHold)
{
	std::unique_ptr<Bridge> bridge(static_cast<Bridge*>(Bridge::Create()));
	std::unique_ptr<Chain> chain(static_cast<Chain*>(Chain::Create()));
	EXPECT_EQ(bridge->GetWorld()->GetJointCount(), Bridge::PlankCount + 1);
	EXPECT_EQ(chain->GetWorld()->GetJointCount(), Chain::LinkCount);

	StepScene(bridge.get(), &settings, 600);
	StepScene(chain.get(), &settings, 600);

	EXPECT_LT(WidestRevoluteGap(bridge->GetWorld()), 0.05f);
	EXPECT_LT(WidestRevoluteGap(chain->GetWorld()), 0.05f);

	// The loaded bridge sags but does not reach the ground.
	const float middle = bridge->GetMiddle()->GetPosition().y;
	EXPECT_LT(middle, 5.0f);
	EXPECT_GT(middle, 1.0f);

	// The chain hangs from its pin: its end is no further away than the
	// chain is long, and has swung down.
	const b2Vec2 end = chain->GetLastLink()->GetPosition();
	EXPECT_LE(b2Distance(end, b2Vec2(0.0f, 25.0f)), Chain::LinkCount + 0.1f);
	EXPECT_LT(end.y, 20.0f);
}

TEST_F(MechanismScenes, CantileverWeldsHoldTheirPlanks)
{
	std::unique_ptr<Cantilever> scene(static_cast<Cantilever*>(Cantilever::Create()));
	b2World* world = scene->GetWorld();
	EXPECT_EQ(world->GetJointCount(), 8 + 3 + 7 + 7);
	// The far ends of the two chains welded to the ground.
	b2Body* ends[2] = {};
	for (b2Body* body = world->GetBodyList(); body != nullptr; body = body->GetNext())
	{
		const b2Vec2 p = body->GetPosition();
		ends[0] = p == b2Vec2(-7.5f, 5.0f) ? body : ends[0];
		ends[1] = p == b2Vec2(-10.0f, 15.0f) ? body : ends[1];
	}
	ASSERT_TRUE(ends[0] != nullptr && ends[1] != nullptr);

	StepScene(scene.get(), &settings, 300);
	float widest = 0.0f;
	for (b2Joint* joint = world->GetJointList(); joint != nullptr; joint = joint->GetNext())
	{
		widest = b2Max(widest, b2Distance(joint->GetAnchorA(), joint->GetAnchorB()));
	}
	EXPECT_LT(widest, 0.05f);
	EXPECT_GT(ends[0]->GetPosition().y, 3.0f);
	EXPECT_GT(ends[1]->GetPosition().y, 12.0f);
}

TEST_F(MechanismScenes, DominosStartTheirChainReaction)
{
	std::unique_ptr<Dominos> scene(static_cast<Dominos*>(Dominos::Create()));
	EXPECT_NEAR(scene->GetFirstDomino()->GetAngle(), 0.0f, 1e-6f);
	StepScene(scene.get(), &settings, 300);
	// The pendulum knocks the first domino flat onto the shelf.
	EXPECT_LT(scene->GetFirstDomino()->GetAngle(), -1.0f);
	EXPECT_LT(WidestRevoluteGap(scene->GetWorld()), 0.05f);
}

TEST_F(MechanismScenes, SliderCrankDrivesThePistonAndItsKeysToggleTheMotors)
{
	std::unique_ptr<SliderCrank> scene(static_cast<SliderCrank*>(SliderCrank::Create()));
	b2RevoluteJoint* crank = scene->GetCrankJoint();
	b2PrismaticJoint* piston = scene->GetPistonJoint();
	EXPECT_TRUE(crank->IsMotorEnabled());
	EXPECT_TRUE(piston->IsMotorEnabled());

	float lowest = 1e9f;
	float highest = -1e9f;
	for (int frame = 0; frame < 300; ++frame)
	{
		StepScene(scene.get(), &settings);
		const float y = piston->GetBodyB()->GetPosition().y;
		lowest = b2Min(lowest, y);
		highest = b2Max(highest, y);
	}
	// A crank arm of 4 about a pin at height 5 and a rod of 8: the piston's
	// centre runs between 5 - 4 + 8 and 5 + 4 + 8.
	EXPECT_NEAR(lowest, 9.0f, 0.2f);
	EXPECT_NEAR(highest, 17.0f, 0.2f);

	scene->Keyboard('m');
	EXPECT_FALSE(crank->IsMotorEnabled());
	scene->Keyboard('f');
	EXPECT_FALSE(piston->IsMotorEnabled());
	scene->Keyboard('m');
	scene->Keyboard('f');
	EXPECT_TRUE(crank->IsMotorEnabled());
	EXPECT_TRUE(piston->IsMotorEnabled());
}

TEST_F(MechanismScenes, TarvoWalksWhereItsMotorKeysSendIt)
{
	std::unique_ptr<Tarvo> scene(static_cast<Tarvo*>(Tarvo::Create()));
	b2RevoluteJoint* motor = scene->GetMotorJoint();
	EXPECT_TRUE(motor->IsMotorEnabled());
	EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), 2.0f);
	// Three pairs of legs, each of two bodies with four springs and a pin.
	EXPECT_EQ(scene->GetWorld()->GetJointCount(), 1 + 6 * 5);

	const float startX = scene->GetChassis()->GetPosition().x;
	StepScene(scene.get(), &settings, 300);
	const float afterForward = scene->GetChassis()->GetPosition().x;
	EXPECT_GT(afterForward, startX + 3.0f) << "the walker must make headway";

	scene->Keyboard('a');
	EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), -2.0f);
	StepScene(scene.get(), &settings, 300);
	EXPECT_LT(scene->GetChassis()->GetPosition().x, afterForward - 1.0f) << "'a' walks it back";

	scene->Keyboard('s');
	EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), 0.0f);
	scene->Keyboard('d');
	EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), 2.0f);
	scene->Keyboard('m');
	EXPECT_FALSE(motor->IsMotorEnabled());
	scene->Keyboard('m');
	EXPECT_TRUE(motor->IsMotorEnabled());
}

TEST_F(MechanismScenes, FrictionDecidesHowFarEachBoxSlides)
{
	std::unique_ptr<VaryingFriction> scene(static_cast<VaryingFriction*>(VaryingFriction::Create()));
	StepScene(scene.get(), &settings, 600);
	// Friction 0.75 holds on the top ramp (tilted by 0.25: tan 0.25 < 0.75);
	// the frictionless box slides all the way down past the lowest ramp.
	EXPECT_GT(scene->GetBox(0)->GetPosition().y, 22.0f);
	EXPECT_LT(scene->GetBox(VaryingFriction::BoxCount - 1)->GetPosition().y, 10.0f);
}
} // namespace
