#include "scenes/Tarvo.h"

namespace
{
const b2Vec2 Offset(0.0f, 8.0f);
constexpr float MotorSpeed = 2.0f;
constexpr float MotorMaxTorque = 400.0f;
constexpr float GroundHalfWidth = 50.0f;
constexpr float WallHeight = 10.0f;
constexpr int BallCount = 40;
constexpr float BallRadius = 0.25f;
const b2Vec2 PivotOffset(0.0f, 0.8f);
const b2Vec2 ChassisHalfSize(2.5f, 1.0f);
constexpr float WheelRadius = 1.6f;
// Parts of the machine never collide with each other.
constexpr int16 MachineGroup = -1;
constexpr float LegAngularDamping = 10.0f;
constexpr float LegSpringHz = 10.0f;
constexpr float LegSpringDamping = 0.5f;
// The three leg pairs are cranked a third of a turn apart.
constexpr float CrankPhase = 2.0944f;

// A spring between two leg points: its rest length is their distance now.
// Without limits apart from the library's minimum, it stretches and
// squeezes freely like the springs of the linkage should.
void CreateSpring(b2World* world, b2Body* a, b2Body* b, const b2Vec2& anchorA, const b2Vec2& anchorB)
{
	b2DistanceJointDef jd;
	jd.Initialize(a, b, anchorA, anchorB);
	jd.minLength = 0.0f;
	jd.maxLength = FLT_MAX;
	b2LinearStiffness(jd.stiffness, jd.damping, LegSpringHz, LegSpringDamping, a, b);
	world->CreateJoint(&jd);
}
} // namespace

Tarvo::Tarvo()
	: motorOn(true), motorSpeed(MotorSpeed), offset(Offset)
{
	{
		b2Body* ground = CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

		b2EdgeShape wall;
		wall.SetTwoSided(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(-GroundHalfWidth, WallHeight));
		ground->CreateFixture(&wall, 0.0f);
		wall.SetTwoSided(b2Vec2(GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, WallHeight));
		ground->CreateFixture(&wall, 0.0f);
	}

	{
		b2CircleShape ball;
		ball.m_radius = BallRadius;
		for (int i = 0; i < BallCount; ++i)
		{
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position.Set(-40.0f + 2.0f * i, 0.5f);
			world->CreateBody(&bd)->CreateFixture(&ball, 1.0f);
		}
	}

	const b2Vec2 pivot = PivotOffset;
	{
		b2PolygonShape box;
		box.SetAsBox(ChassisHalfSize.x, ChassisHalfSize.y);

		b2FixtureDef fd;
		fd.shape = &box;
		fd.density = 1.0f;
		fd.filter.groupIndex = MachineGroup;

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = pivot + offset;
		chassis = world->CreateBody(&bd);
		chassis->CreateFixture(&fd);
	}

	{
		b2CircleShape circle;
		circle.m_radius = WheelRadius;

		b2FixtureDef fd;
		fd.shape = &circle;
		fd.density = 1.0f;
		fd.filter.groupIndex = MachineGroup;

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = pivot + offset;
		wheel = world->CreateBody(&bd);
		wheel->CreateFixture(&fd);
	}

	{
		b2RevoluteJointDef jd;
		jd.Initialize(wheel, chassis, pivot + offset);
		jd.collideConnected = false;
		jd.motorSpeed = motorSpeed;
		jd.maxMotorTorque = MotorMaxTorque;
		jd.enableMotor = motorOn;
		motorJoint = static_cast<b2RevoluteJoint*>(world->CreateJoint(&jd));
	}

	const b2Vec2 wheelAnchor = pivot - PivotOffset;

	CreateLeg(-1.0f, wheelAnchor);
	CreateLeg(1.0f, wheelAnchor);

	wheel->SetTransform(wheel->GetPosition(), CrankPhase);
	CreateLeg(-1.0f, wheelAnchor);
	CreateLeg(1.0f, wheelAnchor);

	wheel->SetTransform(wheel->GetPosition(), -CrankPhase);
	CreateLeg(-1.0f, wheelAnchor);
	CreateLeg(1.0f, wheelAnchor);
}

Test* Tarvo::Create()
{
	return new Tarvo;
}

void Tarvo::CreateLeg(float s, const b2Vec2& wheelAnchor)
{
	const b2Vec2 p1(5.4f * s, -6.1f);
	const b2Vec2 p2(7.2f * s, -1.2f);
	const b2Vec2 p3(4.3f * s, -1.9f);
	const b2Vec2 p4(3.1f * s, 0.8f);
	const b2Vec2 p5(6.0f * s, 1.5f);
	const b2Vec2 p6(2.5f * s, 3.7f);

	b2FixtureDef fd1;
	b2FixtureDef fd2;
	fd1.filter.groupIndex = MachineGroup;
	fd2.filter.groupIndex = MachineGroup;
	fd1.density = 1.0f;
	fd2.density = 1.0f;

	// Mirrored legs list their points in reverse so both stay
	// counter-clockwise.
	b2PolygonShape poly1;
	b2PolygonShape poly2;
	if (s > 0.0f)
	{
		const b2Vec2 vertices1[3] = {p1, p2, p3};
		const b2Vec2 vertices2[3] = {b2Vec2_zero, p5 - p4, p6 - p4};
		poly1.Set(vertices1, 3);
		poly2.Set(vertices2, 3);
	}
	else
	{
		const b2Vec2 vertices1[3] = {p1, p3, p2};
		const b2Vec2 vertices2[3] = {b2Vec2_zero, p6 - p4, p5 - p4};
		poly1.Set(vertices1, 3);
		poly2.Set(vertices2, 3);
	}
	fd1.shape = &poly1;
	fd2.shape = &poly2;

	b2BodyDef bd1;
	bd1.type = b2_dynamicBody;
	bd1.position = offset;
	bd1.angularDamping = LegAngularDamping;
	b2Body* body1 = world->CreateBody(&bd1);
	body1->CreateFixture(&fd1);

	b2BodyDef bd2;
	bd2.type = b2_dynamicBody;
	bd2.position = p4 + offset;
	bd2.angularDamping = LegAngularDamping;
	b2Body* body2 = world->CreateBody(&bd2);
	body2->CreateFixture(&fd2);

	CreateSpring(world, body1, body2, p2 + offset, p5 + offset);
	CreateSpring(world, body1, body2, p3 + offset, p4 + offset);
	CreateSpring(world, body1, wheel, p3 + offset, wheelAnchor + offset);
	CreateSpring(world, body2, wheel, p6 + offset, wheelAnchor + offset);

	b2RevoluteJointDef rjd;
	rjd.Initialize(body2, chassis, p4 + offset);
	world->CreateJoint(&rjd);
}

void Tarvo::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'a':
		motorJoint->SetMotorSpeed(-motorSpeed);
		break;
	case 's':
		motorJoint->SetMotorSpeed(0.0f);
		break;
	case 'd':
		motorJoint->SetMotorSpeed(motorSpeed);
		break;
	case 'm':
		motorOn = !motorOn;
		motorJoint->EnableMotor(motorOn);
		break;
	default:
		return;
	}
	// A resting machine would ignore the new motor setting.
	chassis->SetAwake(true);
}

void Tarvo::Step(Settings* settings)
{
	Test::Step(settings);
	debugDraw.DrawString(5, textLine, "Keys: left = a, brake = s, right = d, toggle motor = m");
	textLine += TextLineStep;
}
