#include "scenes/DistanceTest.h"

#include <box2d/b2_distance.h>

namespace
{
const b2Vec2 HalfSizeA(8.0f, 1.0f);
const b2Vec2 CenterA(0.0f, 15.0f);
// A triangle hovering above the bar's right half, a little turned.
const b2Vec2 TriangleB[3] = {b2Vec2(-1.5f, -1.0f), b2Vec2(1.5f, -1.0f), b2Vec2(0.0f, 1.5f)};
const b2Vec2 StartB(3.0f, 21.0f);
constexpr float StartAngleB = 0.2f;
constexpr float PointSize = 6.0f;
const b2Color ShapeColor(0.9f, 0.9f, 0.9f);
const b2Color PointColorA(1.0f, 0.3f, 0.3f);
const b2Color PointColorB(1.0f, 1.0f, 0.3f);
const b2Color LinkColor(0.5f, 0.9f, 0.9f);
} // namespace

DistanceTest::DistanceTest()
	: poseB(StartB, StartAngleB), distance(0.0f)
{
	polygonA.SetAsBox(HalfSizeA.x, HalfSizeA.y);
	polygonB.Set(TriangleB, 3);
	transformA.Set(CenterA, 0.0f);
}

Test* DistanceTest::Create()
{
	return new DistanceTest;
}

void DistanceTest::Step(Settings* settings)
{
	Test::Step(settings);

	b2DistanceInput input;
	input.proxyA.Set(&polygonA, 0);
	input.proxyB.Set(&polygonB, 0);
	input.transformA = transformA;
	input.transformB = poseB.GetTransform();
	input.useRadii = true;
	b2SimplexCache cache;
	cache.count = 0;
	b2DistanceOutput output;
	b2Distance(&output, &cache, &input);
	distance = output.distance;

	debugDraw.DrawString(5, textLine, "distance = %g", output.distance);
	textLine += TextLineStep;

	debugDraw.DrawString(5, textLine, "iterations = %d", output.iterations);
	textLine += TextLineStep;

	debugDraw.DrawPolygonShape(polygonA, transformA, ShapeColor);
	debugDraw.DrawPolygonShape(polygonB, poseB.GetTransform(), ShapeColor);

	debugDraw.DrawSegment(output.pointA, output.pointB, LinkColor);
	debugDraw.DrawPoint(output.pointA, PointSize, PointColorA);
	debugDraw.DrawPoint(output.pointB, PointSize, PointColorB);
}

void DistanceTest::Keyboard(unsigned char key)
{
	poseB.Keyboard(key);
}
