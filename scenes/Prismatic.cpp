#include "scenes/Prismatic.h"

namespace
{
constexpr float BoxDensity = 5.0f;
const b2Vec2 BoxPosition(-10.0f, 10.0f);
constexpr float LowerTranslation = 0.0f;
constexpr float UpperTranslation = 20.0f;
constexpr float MotorSpeed = 10.0f;
constexpr float MaxMotorForce = 10000.0f;
} // namespace

Prismatic::Prismatic()
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	b2PolygonShape shape;
	shape.SetAsBox(2.0f, 0.5f);

	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = BoxPosition;
	bd.angle = 0.5f * b2_pi;
	b2Body* body = world->CreateBody(&bd);
	body->CreateFixture(&shape, BoxDensity);

	b2Vec2 axis(2.0f, 1.0f);
	axis.Normalize();

	b2PrismaticJointDef pjd;
	pjd.Initialize(ground, body, BoxPosition, axis);
	pjd.motorSpeed = MotorSpeed;
	pjd.maxMotorForce = MaxMotorForce;
	pjd.enableMotor = true;
	pjd.lowerTranslation = LowerTranslation;
	pjd.upperTranslation = UpperTranslation;
	pjd.enableLimit = true;
	joint = static_cast<b2PrismaticJoint*>(world->CreateJoint(&pjd));
}

Test* Prismatic::Create()
{
	return new Prismatic;
}

void Prismatic::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'l':
		joint->EnableLimit(!joint->IsLimitEnabled());
		break;

	case 'm':
		joint->EnableMotor(!joint->IsMotorEnabled());
		break;

	case 's':
		joint->SetMotorSpeed(-joint->GetMotorSpeed());
		break;

	default:
		break;
	}
}

void Prismatic::Step(Settings* settings)
{
	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Keys: (l) limits, (m) motors, (s) speed");
	textLine += TextLineStep;
	const float force = joint->GetMotorForce(settings->hz);
	debugDraw.DrawString(5, textLine, "Motor Force = %4.0f", force);
	textLine += TextLineStep;
}
