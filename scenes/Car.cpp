#include "scenes/Car.h"

namespace
{
constexpr float SpringFrequencyHz = 4.0f;
constexpr float SpringDampingRatio = 0.7f;
constexpr float MotorSpeed = 50.0f;
constexpr float GroundFriction = 0.6f;
constexpr float HillStart = 20.0f;
constexpr float HillStep = 5.0f;
constexpr float HillHeights[] = {0.25f, 1.0f, 4.0f, 0.0f, 0.0f, -1.0f, -2.0f, -2.0f, -1.25f, 0.0f};
constexpr int HillPasses = 2;
constexpr float TeeterLimit = 8.0f * b2_pi / 180.0f;
constexpr float TeeterImpulse = 100.0f;
constexpr int BridgePlanks = 20;
constexpr float BridgeY = -0.125f;
constexpr float PlankFriction = 0.6f;
constexpr int BoxCount = 5;
constexpr float BoxDensity = 0.5f;
constexpr float WheelRadius = 0.4f;
constexpr float WheelFriction = 0.9f;
constexpr float DriveMaxTorque = 20.0f;
constexpr float IdleMaxTorque = 10.0f;

void AddEdge(b2Body* ground, const b2Vec2& a, const b2Vec2& b)
{
	b2EdgeShape shape;
	shape.SetTwoSided(a, b);

	b2FixtureDef fd;
	fd.shape = &shape;
	fd.density = 0.0f;
	fd.friction = GroundFriction;
	ground->CreateFixture(&fd);
}

b2Body* MakeWheel(b2World* world, const b2Vec2& position)
{
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = position;
	b2Body* wheel = world->CreateBody(&bd);

	b2CircleShape shape;
	shape.m_radius = WheelRadius;

	b2FixtureDef fd;
	fd.shape = &shape;
	fd.density = 1.0f;
	fd.friction = WheelFriction;
	wheel->CreateFixture(&fd);
	return wheel;
}
} // namespace

Car::Car()
	: hz(SpringFrequencyHz), zeta(SpringDampingRatio), speed(MotorSpeed)
{
	b2Body* ground = nullptr;
	{
		b2BodyDef bd;
		ground = world->CreateBody(&bd);

		AddEdge(ground, b2Vec2(-20.0f, 0.0f), b2Vec2(20.0f, 0.0f));

		float x = HillStart;
		float y1 = 0.0f;
		for (int pass = 0; pass < HillPasses; ++pass)
		{
			for (float y2 : HillHeights)
			{
				AddEdge(ground, b2Vec2(x, y1), b2Vec2(x + HillStep, y2));
				y1 = y2;
				x += HillStep;
			}
		}

		AddEdge(ground, b2Vec2(120.0f, 0.0f), b2Vec2(160.0f, 0.0f));
		AddEdge(ground, b2Vec2(200.0f, 0.0f), b2Vec2(240.0f, 0.0f));
		AddEdge(ground, b2Vec2(240.0f, 0.0f), b2Vec2(250.0f, 5.0f));
		AddEdge(ground, b2Vec2(260.0f, 0.0f), b2Vec2(300.0f, 0.0f));
		AddEdge(ground, b2Vec2(300.0f, 0.0f), b2Vec2(300.0f, 20.0f));
	}

	// Teeter
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(140.0f, 1.0f);
		b2Body* body = world->CreateBody(&bd);

		b2PolygonShape box;
		box.SetAsBox(10.0f, 0.25f);
		body->CreateFixture(&box, 1.0f);

		b2RevoluteJointDef jd;
		jd.Initialize(ground, body, body->GetPosition());
		jd.lowerAngle = -TeeterLimit;
		jd.upperAngle = TeeterLimit;
		jd.enableLimit = true;
		world->CreateJoint(&jd);

		body->ApplyAngularImpulse(TeeterImpulse, true);
	}

	// Bridge
	{
		b2PolygonShape shape;
		shape.SetAsBox(1.0f, 0.125f);

		b2FixtureDef fd;
		fd.shape = &shape;
		fd.density = 1.0f;
		fd.friction = PlankFriction;

		const std::vector<b2Body*> planks = CreateLinkRow(ground, fd, b2Vec2(160.0f, BridgeY), 2.0f, BridgePlanks);

		b2RevoluteJointDef jd;
		jd.Initialize(planks.back(), ground, b2Vec2(160.0f + 2.0f * BridgePlanks, BridgeY));
		world->CreateJoint(&jd);
	}

	// Boxes
	{
		b2PolygonShape box;
		box.SetAsBox(0.5f, 0.5f);

		for (int i = 0; i < BoxCount; ++i)
		{
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position.Set(230.0f, 0.5f + i);
			world->CreateBody(&bd)->CreateFixture(&box, BoxDensity);
		}
	}

	// Car
	{
		const b2Vec2 vertices[6] = {
			b2Vec2(-1.5f, -0.5f), b2Vec2(1.5f, -0.5f), b2Vec2(1.5f, 0.0f),
			b2Vec2(0.0f, 0.9f), b2Vec2(-1.15f, 0.9f), b2Vec2(-1.5f, 0.2f)};
		b2PolygonShape chassis;
		chassis.Set(vertices, 6);

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(0.0f, 1.0f);
		car = world->CreateBody(&bd);
		car->CreateFixture(&chassis, 1.0f);

		wheel1 = MakeWheel(world, b2Vec2(-1.0f, 0.35f));
		wheel2 = MakeWheel(world, b2Vec2(1.0f, 0.4f));

		const b2Vec2 axis(0.0f, 1.0f);

		b2WheelJointDef jd;
		jd.Initialize(car, wheel1, wheel1->GetPosition(), axis);
		jd.motorSpeed = 0.0f;
		jd.maxMotorTorque = DriveMaxTorque;
		jd.enableMotor = true;
		spring1 = static_cast<b2WheelJoint*>(world->CreateJoint(&jd));

		jd.Initialize(car, wheel2, wheel2->GetPosition(), axis);
		jd.motorSpeed = 0.0f;
		jd.maxMotorTorque = IdleMaxTorque;
		jd.enableMotor = false;
		spring2 = static_cast<b2WheelJoint*>(world->CreateJoint(&jd));

		ApplySpring();
	}
}

Test* Car::Create()
{
	return new Car;
}

void Car::ApplySpring()
{
	float stiffness = 0.0f;
	float damping = 0.0f;
	b2LinearStiffness(stiffness, damping, hz, zeta, car, wheel1);
	spring1->SetStiffness(stiffness);
	spring1->SetDamping(damping);

	b2LinearStiffness(stiffness, damping, hz, zeta, car, wheel2);
	spring2->SetStiffness(stiffness);
	spring2->SetDamping(damping);
}

void Car::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'a':
		spring1->SetMotorSpeed(speed);
		break;

	case 's':
		spring1->SetMotorSpeed(0.0f);
		break;

	case 'd':
		spring1->SetMotorSpeed(-speed);
		break;

	case 'q':
		hz = b2Max(0.0f, hz - 1.0f);
		ApplySpring();
		break;

	case 'e':
		hz += 1.0f;
		ApplySpring();
		break;

	default:
		break;
	}
}

void Car::Step(Settings* settings)
{
	settings->viewCenter.x = car->GetPosition().x;
	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Keys: left = a, brake = s, right = d, hz down = q, hz up = e");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, "frequency = %g hz, damping ratio = %g", hz, zeta);
	textLine += TextLineStep;
}
