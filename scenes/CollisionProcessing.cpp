#include "scenes/CollisionProcessing.h"

#include <algorithm>

#include "scenes/SceneRandom.h"

namespace
{
constexpr float GroundHalfWidth = 50.0f;
constexpr float Density = 1.0f;
constexpr float Friction = 0.2f;
constexpr float MinY = 2.0f;
constexpr float MaxY = 35.0f;
constexpr float HalfSpreadX = 5.0f;

b2Body* CreateAtRandom(b2World* world, const b2Shape& shape)
{
	// y is drawn before x: the order fixes which random values go where.
	const float y = RandomFloat(MinY, MaxY);
	const float x = RandomFloat(-HalfSpreadX, HalfSpreadX);

	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position.Set(x, y);
	b2Body* body = world->CreateBody(&bd);

	b2FixtureDef fd;
	fd.shape = &shape;
	fd.density = Density;
	fd.friction = Friction;
	body->CreateFixture(&fd);
	return body;
}
} // namespace

CollisionProcessing::CollisionProcessing()
{
	CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	b2Vec2 vertices[3] = {b2Vec2(-1.0f, 0.0f), b2Vec2(1.0f, 0.0f), b2Vec2(0.0f, 2.0f)};
	b2PolygonShape polygon;
	polygon.Set(vertices, 3);
	CreateAtRandom(world, polygon);

	for (b2Vec2& v : vertices)
	{
		v *= 2.0f;
	}
	polygon.Set(vertices, 3);
	CreateAtRandom(world, polygon);

	polygon.SetAsBox(1.0f, 0.5f);
	CreateAtRandom(world, polygon);

	polygon.SetAsBox(2.0f, 1.0f);
	CreateAtRandom(world, polygon);

	b2CircleShape circle;
	circle.m_radius = 1.0f;
	CreateAtRandom(world, circle);

	circle.m_radius = 2.0f;
	CreateAtRandom(world, circle);
}

Test* CollisionProcessing::Create()
{
	return new CollisionProcessing;
}

void CollisionProcessing::Step(Settings* settings)
{
	Test::Step(settings);

	// Bodies cannot be destroyed during the step (contact callbacks run inside
	// it), so collect them from the recorded points and destroy them now.
	b2Body* nuke[MaxNuke];
	int nukeCount = 0;

	for (int32 i = 0; i < pointCount && nukeCount < MaxNuke; ++i)
	{
		b2Body* body1 = points[i].fixtureA->GetBody();
		b2Body* body2 = points[i].fixtureB->GetBody();
		const float mass1 = body1->GetMass();
		const float mass2 = body2->GetMass();

		if (mass1 > 0.0f && mass2 > 0.0f)
		{
			nuke[nukeCount++] = mass2 > mass1 ? body1 : body2;
		}
	}

	// A body may touch several others; destroy each one once, in the order
	// the contacts named them. (Address order would hand the allocator the
	// choice, and a recorded session would play differently.)
	for (int i = 0; i < nukeCount; ++i)
	{
		b2Body** const earlier = std::find(nuke, nuke + i, nuke[i]);
		if (earlier == nuke + i && nuke[i] != bomb)
		{
			world->DestroyBody(nuke[i]);
		}
	}
}
