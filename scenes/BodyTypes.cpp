#include "scenes/BodyTypes.h"

namespace
{
constexpr float PlatformSpeed = 3.0f;
constexpr float TravelLimit = 10.0f;
constexpr float BodyDensity = 2.0f;
constexpr float PlatformFriction = 0.6f;
constexpr float PayloadHalfSize = 0.75f;
constexpr float HingeMaxTorque = 50.0f;
constexpr float SlideMaxForce = 1000.0f;
const b2Vec2 Hinge(0.0f, 5.0f);
} // namespace

BodyTypes::BodyTypes()
	: attachment(nullptr), platform(nullptr), speed(PlatformSpeed)
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-20.0f, 0.0f), b2Vec2(20.0f, 0.0f));

	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(0.0f, 3.0f);
		attachment = world->CreateBody(&bd);

		b2PolygonShape shape;
		shape.SetAsBox(0.5f, 2.0f);
		attachment->CreateFixture(&shape, BodyDensity);
	}

	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = Hinge;
		platform = world->CreateBody(&bd);

		b2PolygonShape shape;
		shape.SetAsBox(0.5f, 4.0f, b2Vec2(0.0f, 0.0f), 0.5f * b2_pi);

		b2FixtureDef fd;
		fd.shape = &shape;
		fd.friction = PlatformFriction;
		fd.density = BodyDensity;
		platform->CreateFixture(&fd);

		b2RevoluteJointDef rjd;
		rjd.Initialize(attachment, platform, Hinge);
		rjd.maxMotorTorque = HingeMaxTorque;
		rjd.enableMotor = true;
		world->CreateJoint(&rjd);

		b2PrismaticJointDef pjd;
		pjd.Initialize(ground, platform, Hinge, b2Vec2(1.0f, 0.0f));
		pjd.maxMotorForce = SlideMaxForce;
		pjd.enableMotor = true;
		pjd.lowerTranslation = -TravelLimit;
		pjd.upperTranslation = TravelLimit;
		pjd.enableLimit = true;
		world->CreateJoint(&pjd);
	}

	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(0.0f, 8.0f);
		b2Body* payload = world->CreateBody(&bd);

		b2PolygonShape shape;
		shape.SetAsBox(PayloadHalfSize, PayloadHalfSize);

		b2FixtureDef fd;
		fd.shape = &shape;
		fd.friction = PlatformFriction;
		fd.density = BodyDensity;
		payload->CreateFixture(&fd);
	}
}

Test* BodyTypes::Create()
{
	return new BodyTypes;
}

void BodyTypes::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'd':
		platform->SetType(b2_dynamicBody);
		break;

	case 's':
		platform->SetType(b2_staticBody);
		break;

	case 'k':
		platform->SetType(b2_kinematicBody);
		platform->SetLinearVelocity(b2Vec2(-speed, 0.0f));
		platform->SetAngularVelocity(0.0f);
		break;

	default:
		break;
	}
}

void BodyTypes::Step(Settings* settings)
{
	// A kinematic platform turns round at the ends of its travel.
	if (platform->GetType() == b2_kinematicBody)
	{
		const b2Vec2 p = platform->GetTransform().p;
		const b2Vec2 v = platform->GetLinearVelocity();
		if ((p.x < -TravelLimit && v.x < 0.0f) || (p.x > TravelLimit && v.x > 0.0f))
		{
			platform->SetLinearVelocity(b2Vec2(-v.x, v.y));
		}
	}

	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Keys: (d) dynamic, (s) static, (k) kinematic");
	textLine += TextLineStep;
}
