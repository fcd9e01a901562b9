#include "scenes/Cantilever.h"

#include <initializer_list>

namespace
{
constexpr int LongChainCount = 8;
constexpr int ShortChainCount = 3;
constexpr float PlankDensity = 20.0f;
constexpr float PlankFriction = 0.2f;
constexpr float PlankHalfHeight = 0.125f;
constexpr float DampingRatio = 0.7f;
constexpr float SoftLongFrequencyHz = 5.0f;
constexpr float SoftShortFrequencyHz = 8.0f;
constexpr float ShapeDensity = 1.0f;
constexpr float CircleRadius = 0.5f;

// One chain of planks of half width halfWidth, the first centred at first
// and each next one 2 halfWidth further right, welded at their common ends.
// The first plank is welded to anchor when anchor is not null. A frequency
// of 0 makes the welds rigid.
void MakeChain(b2World* world, b2Body* anchor, int count, float halfWidth, const b2Vec2& first,
	float frequencyHz)
{
	b2PolygonShape shape;
	shape.SetAsBox(halfWidth, PlankHalfHeight);

	b2FixtureDef fd;
	fd.shape = &shape;
	fd.density = PlankDensity;
	fd.friction = PlankFriction;

	b2Body* prevBody = anchor;
	for (int i = 0; i < count; ++i)
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(first.x + 2.0f * halfWidth * i, first.y);
		b2Body* body = world->CreateBody(&bd);
		body->CreateFixture(&fd);

		if (prevBody != nullptr)
		{
			b2WeldJointDef jd;
			jd.Initialize(prevBody, body, b2Vec2(bd.position.x - halfWidth, first.y));
			if (frequencyHz > 0.0f)
			{
				b2AngularStiffness(jd.stiffness, jd.damping, frequencyHz, DampingRatio, prevBody, body);
			}
			world->CreateJoint(&jd);
		}
		prevBody = body;
	}
}
} // namespace

Cantilever::Cantilever()
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	MakeChain(world, ground, LongChainCount, 0.5f, b2Vec2(-14.5f, 5.0f), 0.0f);
	MakeChain(world, ground, ShortChainCount, 1.0f, b2Vec2(-14.0f, 15.0f), SoftLongFrequencyHz);
	MakeChain(world, nullptr, LongChainCount, 0.5f, b2Vec2(-4.5f, 5.0f), 0.0f);
	MakeChain(world, nullptr, LongChainCount, 0.5f, b2Vec2(5.5f, 10.0f), SoftShortFrequencyHz);

	const b2Vec2 triangle[3] = {b2Vec2(-0.5f, 0.0f), b2Vec2(0.5f, 0.0f), b2Vec2(0.0f, 1.5f)};
	for (const b2Vec2& position : {b2Vec2(-8.0f, 12.0f), b2Vec2(0.0f, 12.0f)})
	{
		b2PolygonShape shape;
		shape.Set(triangle, 3);

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = position;
		world->CreateBody(&bd)->CreateFixture(&shape, ShapeDensity);
	}

	for (const b2Vec2& position : {b2Vec2(-6.0f, 10.0f), b2Vec2(0.0f, 10.0f)})
	{
		b2CircleShape shape;
		shape.m_radius = CircleRadius;

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = position;
		world->CreateBody(&bd)->CreateFixture(&shape, ShapeDensity);
	}
}

Test* Cantilever::Create()
{
	return new Cantilever;
}
