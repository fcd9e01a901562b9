#include "scenes/Tumbler.h"

namespace
{
const b2Vec2 FramePosition(0.0f, 10.0f);
constexpr float WallLength = 10.0f;
constexpr float WallThickness = 0.5f;
constexpr float FrameDensity = 5.0f;
constexpr float MotorSpeed = 0.05f * b2_pi;
constexpr float MaxMotorTorque = 1e8f;
constexpr float BoxHalfSize = 0.125f;
constexpr float BoxDensity = 1.0f;
} // namespace

Tumbler::Tumbler()
	: boxCount(0)
{
	b2BodyDef groundDef;
	b2Body* ground = world->CreateBody(&groundDef);

	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.allowSleep = false;
	bd.position = FramePosition;
	b2Body* frame = world->CreateBody(&bd);

	b2PolygonShape wall;
	wall.SetAsBox(WallThickness, WallLength, b2Vec2(WallLength, 0.0f), 0.0f);
	frame->CreateFixture(&wall, FrameDensity);
	wall.SetAsBox(WallThickness, WallLength, b2Vec2(-WallLength, 0.0f), 0.0f);
	frame->CreateFixture(&wall, FrameDensity);
	wall.SetAsBox(WallLength, WallThickness, b2Vec2(0.0f, WallLength), 0.0f);
	frame->CreateFixture(&wall, FrameDensity);
	wall.SetAsBox(WallLength, WallThickness, b2Vec2(0.0f, -WallLength), 0.0f);
	frame->CreateFixture(&wall, FrameDensity);

	b2RevoluteJointDef jd;
	jd.bodyA = ground;
	jd.bodyB = frame;
	jd.localAnchorA = FramePosition;
	jd.localAnchorB.SetZero();
	jd.referenceAngle = 0.0f;
	jd.motorSpeed = MotorSpeed;
	jd.maxMotorTorque = MaxMotorTorque;
	jd.enableMotor = true;
	world->CreateJoint(&jd);
}

Test* Tumbler::Create()
{
	return new Tumbler;
}

void Tumbler::Step(Settings* settings)
{
	Test::Step(settings);

	if (boxCount < MaxBoxes)
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = FramePosition;
		b2Body* body = world->CreateBody(&bd);

		b2PolygonShape box;
		box.SetAsBox(BoxHalfSize, BoxHalfSize);
		body->CreateFixture(&box, BoxDensity);
		++boxCount;
	}
}
