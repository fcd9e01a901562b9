#include "scenes/CompoundShapes.h"

#include "scenes/SceneRandom.h"
#include "scenes/TwinTriangles.h"

namespace
{
constexpr float GroundHalfWidth = 50.0f;
constexpr float Jitter = 0.1f;
constexpr float RowSpacing = 2.5f;
constexpr float PartDensity = 2.0f;
constexpr float TriangleAngle = 1.1071f;
constexpr float BucketDensity = 4.0f;
const b2Vec2 BucketPosition(0.0f, 2.0f);

b2Body* CreateDynamic(b2World* world, float x, float y, float angle)
{
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position.Set(x, y);
	bd.angle = angle;
	return world->CreateBody(&bd);
}
} // namespace

CompoundShapes::CompoundShapes()
{
	CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	{
		b2CircleShape circle1;
		circle1.m_radius = 0.5f;
		circle1.m_p.Set(-0.5f, 0.5f);

		b2CircleShape circle2;
		circle2.m_radius = 0.5f;
		circle2.m_p.Set(0.5f, 0.5f);

		for (int i = 0; i < RowCount; ++i)
		{
			const float x = RandomFloat(-Jitter, Jitter);
			b2Body* body = CreateDynamic(world, x + 5.0f, 1.05f + RowSpacing * i, RandomFloat(-b2_pi, b2_pi));
			body->CreateFixture(&circle1, PartDensity);
			body->CreateFixture(&circle2, 0.0f);
		}
	}

	{
		b2PolygonShape polygon1;
		polygon1.SetAsBox(0.25f, 0.5f);

		b2PolygonShape polygon2;
		polygon2.SetAsBox(0.25f, 0.5f, b2Vec2(0.0f, -0.5f), 0.5f * b2_pi);

		for (int i = 0; i < RowCount; ++i)
		{
			const float x = RandomFloat(-Jitter, Jitter);
			b2Body* body = CreateDynamic(world, x - 5.0f, 1.05f + RowSpacing * i, RandomFloat(-b2_pi, b2_pi));
			body->CreateFixture(&polygon1, PartDensity);
			body->CreateFixture(&polygon2, PartDensity);
		}
	}

	{
		const TwinTriangles triangles(TriangleAngle);

		for (int i = 0; i < RowCount; ++i)
		{
			const float x = RandomFloat(-Jitter, Jitter);
			b2Body* body = CreateDynamic(world, x, 2.05f + RowSpacing * i, 0.0f);
			body->CreateFixture(&triangles.first, PartDensity);
			body->CreateFixture(&triangles.second, PartDensity);
		}
	}

	{
		b2PolygonShape bottom;
		bottom.SetAsBox(1.5f, 0.15f);

		b2PolygonShape left;
		left.SetAsBox(0.15f, 2.7f, b2Vec2(-1.45f, 2.35f), 0.2f);

		b2PolygonShape right;
		right.SetAsBox(0.15f, 2.7f, b2Vec2(1.45f, 2.35f), -0.2f);

		b2Body* bucket = CreateDynamic(world, BucketPosition.x, BucketPosition.y, 0.0f);
		bucket->CreateFixture(&bottom, BucketDensity);
		bucket->CreateFixture(&left, BucketDensity);
		bucket->CreateFixture(&right, BucketDensity);
	}
}

Test* CompoundShapes::Create()
{
	return new CompoundShapes;
}
