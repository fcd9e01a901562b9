#include "scenes/ShapePrototypes.h"

#include <cmath>

#include "scenes/SceneRandom.h"

namespace
{
constexpr float OctagonWidth = 1.0f;
constexpr float BoxHalfSize = 0.5f;
constexpr float CircleRadius = 0.5f;
constexpr float DropHalfWidth = 10.0f;
constexpr float DropHeight = 10.0f;
constexpr float Density = 20.0f;
constexpr float Friction = 0.3f;
} // namespace

ShapePrototypes::ShapePrototypes()
{
	{
		const b2Vec2 vertices[3] = {b2Vec2(-0.5f, 0.0f), b2Vec2(0.5f, 0.0f), b2Vec2(0.0f, 1.5f)};
		polygons[0].Set(vertices, 3);
	}
	{
		const b2Vec2 vertices[3] = {b2Vec2(-0.1f, 0.0f), b2Vec2(0.1f, 0.0f), b2Vec2(0.0f, 1.5f)};
		polygons[1].Set(vertices, 3);
	}
	{
		const float w = OctagonWidth;
		const float b = w / (2.0f + sqrtf(2.0f));
		const float s = sqrtf(2.0f) * b;
		const b2Vec2 vertices[8] = {
			b2Vec2(0.5f * s, 0.0f),
			b2Vec2(0.5f * w, b),
			b2Vec2(0.5f * w, b + s),
			b2Vec2(0.5f * s, w),
			b2Vec2(-0.5f * s, w),
			b2Vec2(-0.5f * w, b + s),
			b2Vec2(-0.5f * w, b),
			b2Vec2(-0.5f * s, 0.0f),
		};
		polygons[2].Set(vertices, 8);
	}
	polygons[3].SetAsBox(BoxHalfSize, BoxHalfSize);
	circle.m_radius = CircleRadius;
}

b2Body* ShapePrototypes::Drop(b2World* world, int index) const
{
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	const float x = RandomFloat(-DropHalfWidth, DropHalfWidth);
	bd.position.Set(x, DropHeight);
	bd.angle = RandomFloat(-b2_pi, b2_pi);
	b2Body* body = world->CreateBody(&bd);

	b2FixtureDef fd;
	fd.shape = index < Count - 1 ? static_cast<const b2Shape*>(&polygons[index]) : &circle;
	fd.density = Density;
	fd.friction = Friction;
	body->CreateFixture(&fd);
	return body;
}

DroppedBodies::DroppedBodies()
	: bodies{}, next(0)
{
}

void DroppedBodies::Keyboard(b2World* world, const ShapePrototypes& prototypes, unsigned char key)
{
	switch (key)
	{
	case '1':
	case '2':
	case '3':
	case '4':
	case '5':
		Add(world, prototypes.Drop(world, key - '1'));
		break;
	case 'd':
		DestroyFirst(world);
		break;
	default:
		break;
	}
}

void DroppedBodies::Add(b2World* world, b2Body* body)
{
	if (bodies[next] != nullptr)
	{
		world->DestroyBody(bodies[next]);
	}
	bodies[next] = body;
	next = (next + 1) % Capacity;
}

void DroppedBodies::DestroyFirst(b2World* world)
{
	for (b2Body*& body : bodies)
	{
		if (body != nullptr)
		{
			world->DestroyBody(body);
			body = nullptr;
			return;
		}
	}
}

int DroppedBodies::CountLive() const
{
	int count = 0;
	for (const b2Body* body : bodies)
	{
		if (body != nullptr)
		{
			++count;
		}
	}
	return count;
}
