#include "scenes/Revolute.h"

#include <cmath>

namespace
{
constexpr float BallRadius = 0.5f;
constexpr float BallDensity = 5.0f;
const b2Vec2 BallStart(-10.0f, 20.0f);
const b2Vec2 Pivot(-10.0f, 12.0f);
constexpr float Spin = 100.0f;
constexpr float MotorSpeed = b2_pi;
constexpr float MaxMotorTorque = 10000.0f;
constexpr float LowerAngle = -0.25f * b2_pi;
constexpr float UpperAngle = 0.5f * b2_pi;
// The library solves the motor and the limits one after the other, each
// against the ball's own rotational inertia (0.49 kg m^2), and the pivot
// constraint after them; swinging about the pivot 8 m away the ball has
// 252 kg m^2. Each pass over the joint moves only 0.2 % of a correction into
// the swing, so at the usual 8 velocity passes the motor spins the ball
// through its limits, and at the usual 3 position passes a ball found beyond
// a limit creeps back at about 3 degrees a second. This many passes of each
// hold it within the limits plus the library's slop and bring it back within
// a few frames; the position passes stop as soon as nothing is out of place,
// and the scene has a handful of bodies, so they cost little.
constexpr int JointSolverIterations = 500;
constexpr float FullTurn = 2.0f * b2_pi;

constexpr float BoulderRadius = 3.0f;
constexpr float BoulderDensity = 5.0f;
constexpr float BoulderAngularDamping = 5.0f;
const b2Vec2 BoulderStart(12.0f, 20.0f);
const b2Vec2 SeeSawPivot(10.0f, 1.5f);
constexpr float SeeSawHalfLength = 5.0f;
constexpr float SeeSawHalfThickness = 0.25f;
constexpr float SeeSawDensity = 2.0f;
constexpr float SeeSawTilt = 0.1f;
} // namespace

Revolute::Revolute()
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	{
		b2CircleShape shape;
		shape.m_radius = BallRadius;

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = BallStart;
		b2Body* body = world->CreateBody(&bd);
		body->CreateFixture(&shape, BallDensity);

		// The ball spins about its own centre and moves as the motor would
		// turn it about the pivot.
		const b2Vec2 arm = BallStart - Pivot;
		body->SetAngularVelocity(Spin);
		body->SetLinearVelocity(b2Cross(MotorSpeed, arm));

		b2RevoluteJointDef rjd;
		rjd.Initialize(ground, body, Pivot);
		rjd.motorSpeed = MotorSpeed;
		rjd.maxMotorTorque = MaxMotorTorque;
		rjd.enableMotor = true;
		rjd.lowerAngle = LowerAngle;
		rjd.upperAngle = UpperAngle;
		rjd.enableLimit = true;
		joint = static_cast<b2RevoluteJoint*>(world->CreateJoint(&rjd));
	}

	{
		b2CircleShape shape;
		shape.m_radius = BoulderRadius;

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = BoulderStart;
		bd.angularDamping = BoulderAngularDamping;
		world->CreateBody(&bd)->CreateFixture(&shape, BoulderDensity);
	}

	{
		b2PolygonShape shape;
		shape.SetAsBox(SeeSawHalfLength, SeeSawHalfThickness);

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = SeeSawPivot;
		b2Body* seeSaw = world->CreateBody(&bd);
		seeSaw->CreateFixture(&shape, SeeSawDensity);

		b2RevoluteJointDef rjd;
		rjd.Initialize(ground, seeSaw, SeeSawPivot);
		rjd.lowerAngle = -SeeSawTilt;
		rjd.upperAngle = SeeSawTilt;
		rjd.enableLimit = true;
		world->CreateJoint(&rjd);
	}
}

Test* Revolute::Create()
{
	return new Revolute;
}

void Revolute::WindIntoLimitTurn()
{
	// The angle opposite the middle of the allowed range: a ball on one side
	// of it is nearer the lower limit, on the other nearer the upper one.
	const float opposite = 0.5f * (joint->GetLowerLimit() + joint->GetUpperLimit()) + b2_pi;
	const float turns = std::floor((opposite - joint->GetJointAngle()) / FullTurn);
	b2Body* ball = joint->GetBodyB();
	ball->SetTransform(ball->GetPosition(), ball->GetAngle() + turns * FullTurn);
}

void Revolute::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'l':
		if (!joint->IsLimitEnabled())
		{
			WindIntoLimitTurn();
		}
		joint->EnableLimit(!joint->IsLimitEnabled());
		break;

	case 'm':
		joint->EnableMotor(!joint->IsMotorEnabled());
		break;

	default:
		break;
	}
}

void Revolute::Step(Settings* settings)
{
	const int velocityIterations = settings->velocityIterations;
	const int positionIterations = settings->positionIterations;
	settings->velocityIterations = b2Max(velocityIterations, JointSolverIterations);
	settings->positionIterations = b2Max(positionIterations, JointSolverIterations);
	Test::Step(settings);
	settings->velocityIterations = velocityIterations;
	settings->positionIterations = positionIterations;

	debugDraw.DrawString(5, textLine, "Keys: (l) limits, (m) motor");
	textLine += TextLineStep;
}
