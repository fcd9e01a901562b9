#include "scenes/TwinTriangles.h"

namespace
{
b2PolygonShape TurnedTriangle(const b2Transform& xf)
{
	const b2Vec2 points[3] = {b2Vec2(-1.0f, 0.0f), b2Vec2(1.0f, 0.0f), b2Vec2(0.0f, 0.5f)};
	b2Vec2 vertices[3];
	for (int i = 0; i < 3; ++i)
	{
		vertices[i] = b2Mul(xf, points[i]);
	}
	b2PolygonShape shape;
	shape.Set(vertices, 3);
	return shape;
}
} // namespace

TwinTriangles::TwinTriangles(float angle)
{
	b2Transform xf1;
	xf1.q.Set(angle);
	xf1.p = b2Mul(xf1.q, b2Vec2(1.0f, 0.0f));
	first = TurnedTriangle(xf1);

	b2Transform xf2;
	xf2.q.Set(-angle);
	xf2.p = -b2Mul(xf2.q, b2Vec2(1.0f, 0.0f));
	second = TurnedTriangle(xf2);
}
