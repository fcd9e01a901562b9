#include "scenes/EdgeShapes.h"

#include <cmath>

namespace
{
constexpr float GroundLeft = -20.0f;
constexpr int GroundEdges = 80;
constexpr float GroundStep = 0.5f;
constexpr float WaveHeight = 2.0f;
constexpr float WaveLength = 20.0f;
const b2Vec2 RayOrigin(0.0f, 10.0f);
constexpr float RayLength = 25.0f;
constexpr float TurnPerStep = 0.25f * b2_pi / 180.0f;
constexpr float NormalLength = 0.5f;
constexpr float HitPointSize = 5.0f;
const b2Color RayColor(0.8f, 0.8f, 0.8f);
const b2Color HitColor(0.4f, 0.9f, 0.4f);
const b2Color NormalColor(0.9f, 0.9f, 0.4f);

float WaveY(float x)
{
	return WaveHeight * cosf(2.0f * b2_pi * x / WaveLength);
}
} // namespace

float EdgeShapes::EdgeShapesCallback::ReportFixture(b2Fixture* f, const b2Vec2& p, const b2Vec2& n, float fraction)
{
	fixture = f;
	point = p;
	normal = n;
	return fraction;
}

EdgeShapes::EdgeShapes()
	: angle(0.0f), groundEdgeCount(0)
{
	b2BodyDef bd;
	b2Body* ground = world->CreateBody(&bd);

	float x1 = GroundLeft;
	float y1 = WaveY(x1);
	for (int i = 0; i < GroundEdges; ++i)
	{
		const float x2 = x1 + GroundStep;
		const float y2 = WaveY(x2);

		b2EdgeShape edge;
		edge.SetTwoSided(b2Vec2(x1, y1), b2Vec2(x2, y2));
		ground->CreateFixture(&edge, 0.0f);
		++groundEdgeCount;

		x1 = x2;
		y1 = y2;
	}
}

Test* EdgeShapes::Create()
{
	return new EdgeShapes;
}

void EdgeShapes::Keyboard(unsigned char key)
{
	bodies.Keyboard(world, prototypes, key);
}

void EdgeShapes::Step(Settings* settings)
{
	const bool advance = settings->pause == 0 || settings->singleStep != 0;

	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Press 1-5 to drop stuff");
	textLine += TextLineStep;

	const b2Vec2 p1 = RayOrigin;
	const b2Vec2 p2 = p1 + RayLength * b2Vec2(cosf(angle), sinf(angle));

	EdgeShapesCallback callback;
	world->RayCast(&callback, p1, p2);

	if (callback.fixture != nullptr)
	{
		debugDraw.DrawPoint(callback.point, HitPointSize, HitColor);
		debugDraw.DrawSegment(p1, callback.point, RayColor);
		debugDraw.DrawSegment(callback.point, callback.point + NormalLength * callback.normal, NormalColor);
	}
	else
	{
		debugDraw.DrawSegment(p1, p2, RayColor);
	}

	if (advance)
	{
		angle += TurnPerStep;
	}
}
