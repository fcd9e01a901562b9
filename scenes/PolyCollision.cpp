#include "scenes/PolyCollision.h"

namespace
{
const b2Vec2 HalfSizeA(5.0f, 2.5f);
const b2Vec2 CenterA(0.0f, 17.0f);
const b2Vec2 HalfSizeB(2.5f, 1.5f);
// Starts with one corner pressed into the top face of the first box.
const b2Vec2 StartB(1.0f, 21.0f);
constexpr float StartAngleB = 0.3f;
constexpr float PointSize = 6.0f;
const b2Color ShapeColor(0.9f, 0.9f, 0.9f);
const b2Color PointColor(1.0f, 0.3f, 0.3f);
} // namespace

PolyCollision::PolyCollision()
	: poseB(StartB, StartAngleB), manifoldPointCount(0)
{
	polygonA.SetAsBox(HalfSizeA.x, HalfSizeA.y);
	polygonB.SetAsBox(HalfSizeB.x, HalfSizeB.y);
	transformA.Set(CenterA, 0.0f);
}

Test* PolyCollision::Create()
{
	return new PolyCollision;
}

void PolyCollision::Step(Settings*)
{
	const b2Transform& transformB = poseB.GetTransform();

	b2Manifold manifold;
	b2CollidePolygons(&manifold, &polygonA, transformA, &polygonB, transformB);
	manifoldPointCount = manifold.pointCount;

	b2WorldManifold worldManifold;
	worldManifold.Initialize(&manifold, transformA, polygonA.m_radius, transformB, polygonB.m_radius);

	debugDraw.DrawString(5, textLine, "point count = %d", manifold.pointCount);
	textLine += TextLineStep;

	debugDraw.DrawPolygonShape(polygonA, transformA, ShapeColor);
	debugDraw.DrawPolygonShape(polygonB, transformB, ShapeColor);

	for (int32 i = 0; i < manifold.pointCount; ++i)
	{
		debugDraw.DrawPoint(worldManifold.points[i], PointSize, PointColor);
	}
}

void PolyCollision::Keyboard(unsigned char key)
{
	poseB.Keyboard(key);
}
