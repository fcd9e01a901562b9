#include "scenes/SensorTest.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
constexpr float SensorRadius = 5.0f;
const b2Vec2 SensorCenter(0.0f, 10.0f);
constexpr float BallRadius = 1.0f;
constexpr float PullForce = 100.0f;
} // namespace

SensorTest::SensorTest()
	: touching{}
{
	{
		b2Body* ground = CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

		b2CircleShape circle;
		circle.m_radius = SensorRadius;
		circle.m_p = SensorCenter;

		b2FixtureDef fd;
		fd.shape = &circle;
		fd.isSensor = true;
		sensor = ground->CreateFixture(&fd);
	}

	b2CircleShape ball;
	ball.m_radius = BallRadius;
	for (int i = 0; i < BallCount; ++i)
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(-10.0f + 3.0f * i, 20.0f);
		balls[i] = world->CreateBody(&bd);
		balls[i]->CreateFixture(&ball, 1.0f);
	}
}

Test* SensorTest::Create()
{
	return new SensorTest;
}

b2Vec2 SensorTest::GetSensorCenter() const
{
	const b2CircleShape* circle = static_cast<const b2CircleShape*>(sensor->GetShape());
	return sensor->GetBody()->GetWorldPoint(circle->m_p);
}

int SensorTest::BallTouchingSensor(b2Contact* contact) const
{
	b2Fixture* other;
	if (contact->GetFixtureA() == sensor)
	{
		other = contact->GetFixtureB();
	}
	else if (contact->GetFixtureB() == sensor)
	{
		other = contact->GetFixtureA();
	}
	else
	{
		return -1;
	}

	for (int i = 0; i < BallCount; ++i)
	{
		if (balls[i] == other->GetBody())
		{
			return i;
		}
	}
	return -1;
}

void SensorTest::BeginContact(b2Contact* contact)
{
	const int i = BallTouchingSensor(contact);
	if (i >= 0)
	{
		touching[i] = true;
	}
}

void SensorTest::EndContact(b2Contact* contact)
{
	const int i = BallTouchingSensor(contact);
	if (i >= 0)
	{
		touching[i] = false;
	}
}

void SensorTest::Step(Settings* settings)
{
	Test::Step(settings);

	// The pull applies during the next world step.
	const b2Vec2 center = GetSensorCenter();
	for (int i = 0; i < BallCount; ++i)
	{
		if (!touching[i])
		{
			continue;
		}

		b2Body* ball = balls[i];
		b2Vec2 d = center - ball->GetPosition();
		if (d.LengthSquared() < FLT_EPSILON * FLT_EPSILON)
		{
			continue;
		}

		d.Normalize();
		ball->ApplyForce(PullForce * d, ball->GetPosition(), false);
	}
}
