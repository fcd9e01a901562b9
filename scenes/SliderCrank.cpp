#include "scenes/SliderCrank.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
constexpr float Density = 2.0f;
constexpr float CrankSpeed = b2_pi;
constexpr float CrankMaxTorque = 10000.0f;
// The piston's motor at speed 0 acts as friction on the slide.
constexpr float PistonMaxForce = 1000.0f;

b2Body* CreateBox(b2World* world, const b2Vec2& position, float hx, float hy, bool fixedRotation = false)
{
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = position;
	bd.fixedRotation = fixedRotation;
	b2Body* body = world->CreateBody(&bd);
	b2PolygonShape box;
	box.SetAsBox(hx, hy);
	body->CreateFixture(&box, Density);
	return body;
}
} // namespace

SliderCrank::SliderCrank()
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	b2Body* crank = CreateBox(world, b2Vec2(0.0f, 7.0f), 0.5f, 2.0f);
	{
		b2RevoluteJointDef rjd;
		rjd.Initialize(ground, crank, b2Vec2(0.0f, 5.0f));
		rjd.motorSpeed = CrankSpeed;
		rjd.maxMotorTorque = CrankMaxTorque;
		rjd.enableMotor = true;
		crankJoint = static_cast<b2RevoluteJoint*>(world->CreateJoint(&rjd));
	}

	b2Body* follower = CreateBox(world, b2Vec2(0.0f, 13.0f), 0.5f, 4.0f);
	{
		b2RevoluteJointDef rjd;
		rjd.Initialize(crank, follower, b2Vec2(0.0f, 9.0f));
		rjd.enableMotor = false;
		world->CreateJoint(&rjd);
	}

	b2Body* piston = CreateBox(world, b2Vec2(0.0f, 17.0f), 1.5f, 1.5f, true);
	{
		b2RevoluteJointDef rjd;
		rjd.Initialize(follower, piston, b2Vec2(0.0f, 17.0f));
		world->CreateJoint(&rjd);

		b2PrismaticJointDef pjd;
		pjd.Initialize(ground, piston, b2Vec2(0.0f, 17.0f), b2Vec2(0.0f, 1.0f));
		pjd.maxMotorForce = PistonMaxForce;
		pjd.motorSpeed = 0.0f;
		pjd.enableMotor = true;
		pistonJoint = static_cast<b2PrismaticJoint*>(world->CreateJoint(&pjd));
	}

	CreateBox(world, b2Vec2(0.0f, 23.0f), 1.5f, 1.5f);
}

Test* SliderCrank::Create()
{
	return new SliderCrank;
}

void SliderCrank::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'f':
		pistonJoint->EnableMotor(!pistonJoint->IsMotorEnabled());
		pistonJoint->GetBodyB()->SetAwake(true);
		break;
	case 'm':
		crankJoint->EnableMotor(!crankJoint->IsMotorEnabled());
		crankJoint->GetBodyB()->SetAwake(true);
		break;
	default:
		break;
	}
}

void SliderCrank::Step(Settings* settings)
{
	Test::Step(settings);
	debugDraw.DrawString(5, textLine, "Keys: (f) toggle friction, (m) toggle motor");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, "Motor Torque = %5.0f", crankJoint->GetMotorTorque(settings->hz));
	textLine += TextLineStep;
}
