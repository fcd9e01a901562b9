#include "scenes/PolyShapes.h"

#include <cmath>
#include <cstdlib>

namespace
{
constexpr float DropHeight = 10.0f;
constexpr float DropHalfWidth = 2.0f;
constexpr float ShapeFriction = 0.3f;
constexpr float ShapeDensity = 1.0f;
constexpr float CircleAngularDamping = 0.02f;
constexpr float QueryRadius = 2.0f;
const b2Vec2 QueryCentre(0.0f, 1.1f);
const b2Color QueryColor(0.4f, 0.7f, 0.8f);
const b2Color HighlightColor(0.95f, 0.95f, 0.6f);

float RandomFloat(float low, float high)
{
	const float r = static_cast<float>(rand() & 0x7FFF) / 32767.0f;
	return (high - low) * r + low;
}
} // namespace

PolyShapesCallback::PolyShapesCallback(const b2CircleShape& circle, const b2Transform& transform,
	DebugDraw* draw)
	: circle(circle), transform(transform), draw(draw), count(0)
{
}

bool PolyShapesCallback::ReportFixture(b2Fixture* fixture)
{
	if (count == MaxCount)
	{
		return false;
	}

	// The ground always touches the circle; only dropped shapes count.
	b2Body* body = fixture->GetBody();
	if (body->GetType() == b2_staticBody)
	{
		return true;
	}

	const b2Shape* shape = fixture->GetShape();
	if (b2TestOverlap(shape, 0, &circle, 0, body->GetTransform(), transform))
	{
		DrawFixture(fixture);
		++count;
	}
	return true;
}

void PolyShapesCallback::DrawFixture(b2Fixture* fixture)
{
	const b2Transform& xf = fixture->GetBody()->GetTransform();

	switch (fixture->GetType())
	{
	case b2Shape::e_circle:
	{
		const b2CircleShape* shape = static_cast<const b2CircleShape*>(fixture->GetShape());
		draw->DrawCircle(b2Mul(xf, shape->m_p), shape->m_radius, HighlightColor);
		break;
	}

	case b2Shape::e_polygon:
	{
		const b2PolygonShape* shape = static_cast<const b2PolygonShape*>(fixture->GetShape());
		draw->DrawPolygonShape(*shape, xf, HighlightColor);
		break;
	}

	default:
		break;
	}
}

PolyShapes::PolyShapes()
	: bodyIndex(0), bodies{}, highlightCount(0)
{
	CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	{
		const b2Vec2 vertices[3] = {b2Vec2(-0.5f, 0.0f), b2Vec2(0.5f, 0.0f), b2Vec2(0.0f, 1.5f)};
		polygons[0].Set(vertices, 3);
	}
	{
		const b2Vec2 vertices[3] = {b2Vec2(-0.1f, 0.0f), b2Vec2(0.1f, 0.0f), b2Vec2(0.0f, 1.5f)};
		polygons[1].Set(vertices, 3);
	}
	{
		const float w = 1.0f;
		const float b = w / (2.0f + sqrtf(2.0f));
		const float s = sqrtf(2.0f) * b;
		const b2Vec2 vertices[8] = {
			b2Vec2(0.5f * s, 0.0f), b2Vec2(0.5f * w, b), b2Vec2(0.5f * w, b + s), b2Vec2(0.5f * s, w),
			b2Vec2(-0.5f * s, w), b2Vec2(-0.5f * w, b + s), b2Vec2(-0.5f * w, b), b2Vec2(-0.5f * s, 0.0f)};
		polygons[2].Set(vertices, 8);
	}
	polygons[3].SetAsBox(0.5f, 0.5f);
	circle.m_radius = 0.5f;
}

Test* PolyShapes::Create()
{
	return new PolyShapes;
}

void PolyShapes::Drop(int index)
{
	if (bodies[bodyIndex] != nullptr)
	{
		world->DestroyBody(bodies[bodyIndex]);
		bodies[bodyIndex] = nullptr;
	}

	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position.Set(RandomFloat(-DropHalfWidth, DropHalfWidth), DropHeight);
	bd.angle = RandomFloat(-b2_pi, b2_pi);
	if (index == PrototypeCount - 1)
	{
		bd.angularDamping = CircleAngularDamping;
	}
	b2Body* body = world->CreateBody(&bd);

	b2FixtureDef fd;
	fd.shape = index < PrototypeCount - 1 ? static_cast<const b2Shape*>(&polygons[index]) : &circle;
	fd.density = ShapeDensity;
	fd.friction = ShapeFriction;
	body->CreateFixture(&fd);

	bodies[bodyIndex] = body;
	bodyIndex = (bodyIndex + 1) % MaxBodies;
}

void PolyShapes::DestroyBody()
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

void PolyShapes::Keyboard(unsigned char key)
{
	switch (key)
	{
	case '1':
	case '2':
	case '3':
	case '4':
	case '5':
		Drop(key - '1');
		break;

	case 'a':
		for (int i = 0; i < MaxBodies; i += 2)
		{
			if (bodies[i] != nullptr)
			{
				bodies[i]->SetEnabled(!bodies[i]->IsEnabled());
			}
		}
		break;

	case 'd':
		DestroyBody();
		break;

	default:
		break;
	}
}

void PolyShapes::Step(Settings* settings)
{
	Test::Step(settings);

	b2CircleShape query;
	query.m_radius = QueryRadius;
	b2Transform transform;
	transform.Set(QueryCentre, 0.0f);

	PolyShapesCallback callback(query, transform, &debugDraw);

	b2AABB aabb;
	query.ComputeAABB(&aabb, transform, 0);
	world->QueryAABB(&callback, aabb);
	highlightCount = callback.GetCount();

	debugDraw.DrawCircle(QueryCentre, QueryRadius, QueryColor);

	debugDraw.DrawString(5, textLine, "Press 1-5 to drop stuff");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, "Press 'a' to (de)activate some bodies");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, "Press 'd' to destroy a body");
	textLine += TextLineStep;
}
