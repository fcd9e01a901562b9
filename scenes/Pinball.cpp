#include "scenes/Pinball.h"

namespace
{
constexpr float FlipperHalfLength = 1.75f;
constexpr float FlipperHalfThickness = 0.1f;
constexpr float FlipperDensity = 1.0f;
const b2Vec2 LeftPivot(-2.0f, 0.0f);
const b2Vec2 RightPivot(2.0f, 0.0f);
constexpr float MaxMotorTorque = 1000.0f;
constexpr float Degree = b2_pi / 180.0f;
constexpr float FlipUpSpeed = 20.0f;
constexpr float FallBackSpeed = 10.0f;
constexpr float BallRadius = 0.2f;
constexpr float BallDensity = 1.0f;
const b2Vec2 BallStart(1.0f, 15.0f);

b2RevoluteJoint* MakeFlipper(b2World* world, b2Body* table, const b2Vec2& pivot, float lower, float upper)
{
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = pivot;
	b2Body* flipper = world->CreateBody(&bd);

	b2PolygonShape box;
	box.SetAsBox(FlipperHalfLength, FlipperHalfThickness);
	flipper->CreateFixture(&box, FlipperDensity);

	b2RevoluteJointDef jd;
	jd.bodyA = table;
	jd.bodyB = flipper;
	jd.localAnchorA = pivot;
	jd.localAnchorB.SetZero();
	jd.enableMotor = true;
	jd.maxMotorTorque = MaxMotorTorque;
	jd.enableLimit = true;
	jd.motorSpeed = 0.0f;
	jd.lowerAngle = lower;
	jd.upperAngle = upper;
	return static_cast<b2RevoluteJoint*>(world->CreateJoint(&jd));
}
} // namespace

Pinball::Pinball()
	: button(false)
{
	b2Body* table = nullptr;
	{
		b2BodyDef bd;
		table = world->CreateBody(&bd);

		// A loop is solid on the right of each segment; listed clockwise,
		// that is its inside, where the ball plays.
		const b2Vec2 vertices[5] = {
			b2Vec2(-8.0f, 6.0f), b2Vec2(-8.0f, 20.0f), b2Vec2(8.0f, 20.0f), b2Vec2(8.0f, 6.0f), b2Vec2(0.0f, -2.0f)};
		b2ChainShape loop;
		loop.CreateLoop(vertices, 5);
		table->CreateFixture(&loop, 0.0f);
	}

	leftJoint = MakeFlipper(world, table, LeftPivot, -30.0f * Degree, 5.0f * Degree);
	rightJoint = MakeFlipper(world, table, RightPivot, -5.0f * Degree, 30.0f * Degree);

	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = BallStart;
		bd.bullet = true;
		ball = world->CreateBody(&bd);

		b2CircleShape shape;
		shape.m_radius = BallRadius;
		ball->CreateFixture(&shape, BallDensity);
	}
}

Test* Pinball::Create()
{
	return new Pinball;
}

void Pinball::Keyboard(unsigned char key)
{
	if (key == 'a' || key == 'A')
	{
		button = true;
	}
}

void Pinball::KeyboardUp(unsigned char key)
{
	if (key == 'a' || key == 'A')
	{
		button = false;
	}
}

void Pinball::Step(Settings* settings)
{
	if (button)
	{
		leftJoint->SetMotorSpeed(FlipUpSpeed);
		rightJoint->SetMotorSpeed(-FlipUpSpeed);
	}
	else
	{
		leftJoint->SetMotorSpeed(-FallBackSpeed);
		rightJoint->SetMotorSpeed(FallBackSpeed);
	}

	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Press 'a' to control the flippers");
	textLine += TextLineStep;
}
