#include "scenes/EdgeTest.h"

namespace
{
constexpr int PointCount = 7;
const b2Vec2 Points[PointCount] = {
	b2Vec2(-10.0f, 0.0f), b2Vec2(-7.0f, -2.0f), b2Vec2(-4.0f, 0.0f), b2Vec2(0.0f, 0.0f),
	b2Vec2(4.0f, 0.0f), b2Vec2(7.0f, 2.0f), b2Vec2(10.0f, 0.0f)};
const b2Vec2 BallStart(-5.5f, 1.0f);
const b2Vec2 BoxStart(5.5f, 2.0f);
constexpr float Density = 1.0f;
} // namespace

EdgeTest::EdgeTest()
{
	{
		b2BodyDef bd;
		b2Body* ground = world->CreateBody(&bd);

		// The ground is listed right to left: an edge with neighbours is solid
		// on the right of its direction, and that has to be the upper side.
		// The outermost neighbours continue the end slopes.
		b2Vec2 run[PointCount + 2];
		for (int i = 0; i < PointCount; ++i)
		{
			run[i + 1] = Points[PointCount - 1 - i];
		}
		run[0] = 2.0f * run[1] - run[2];
		run[PointCount + 1] = 2.0f * run[PointCount] - run[PointCount - 1];

		for (int i = 1; i < PointCount; ++i)
		{
			b2EdgeShape shape;
			shape.SetOneSided(run[i - 1], run[i], run[i + 1], run[i + 2]);
			ground->CreateFixture(&shape, 0.0f);
		}
	}

	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = BallStart;
		b2Body* body = world->CreateBody(&bd);

		b2CircleShape shape;
		shape.m_radius = 0.5f;
		body->CreateFixture(&shape, Density);
	}

	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = BoxStart;
		b2Body* body = world->CreateBody(&bd);

		b2PolygonShape shape;
		shape.SetAsBox(0.5f, 0.5f);
		body->CreateFixture(&shape, Density);
	}
}

Test* EdgeTest::Create()
{
	return new EdgeTest;
}
