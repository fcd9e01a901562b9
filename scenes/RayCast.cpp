#include "scenes/RayCast.h"

#include <cmath>

namespace
{
constexpr float GroundHalfWidth = 40.0f;
const b2Vec2 RayOrigin(0.0f, 10.0f);
constexpr float RayLength = 11.0f;
// A quarter of a degree per step: one full turn every 24 seconds.
constexpr float TurnPerStep = 0.25f * b2_pi / 180.0f;
constexpr float NormalLength = 0.5f;
constexpr float HitPointSize = 5.0f;
const b2Color RayColor(0.8f, 0.8f, 0.8f);
const b2Color HitColor(0.4f, 0.9f, 0.4f);
const b2Color NormalColor(0.9f, 0.9f, 0.4f);
} // namespace

float RayCast::RayCastClosestCallback::ReportFixture(b2Fixture*, const b2Vec2& p, const b2Vec2& n, float fraction)
{
	hit = true;
	point = p;
	normal = n;
	// Clip the ray here: only nearer fixtures are reported from now on.
	return fraction;
}

float RayCast::RayCastAnyCallback::ReportFixture(b2Fixture*, const b2Vec2& p, const b2Vec2& n, float)
{
	hit = true;
	point = p;
	normal = n;
	return 0.0f;
}

float RayCast::RayCastMultipleCallback::ReportFixture(b2Fixture*, const b2Vec2& p, const b2Vec2& n, float)
{
	points[count] = p;
	normals[count] = n;
	++count;
	// Full: end the cast. Otherwise keep going along the whole ray.
	return count == MaxHits ? 0.0f : 1.0f;
}

RayCast::RayCast()
	: angle(0.0f), mode(Closest), hitCount(0)
{
	CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));
}

Test* RayCast::Create()
{
	return new RayCast;
}

void RayCast::Keyboard(unsigned char key)
{
	if (key == 'm')
	{
		mode = (mode + 1) % 3;
		return;
	}
	bodies.Keyboard(world, prototypes, key);
}

void RayCast::DrawHit(const b2Vec2& point, const b2Vec2& normal)
{
	debugDraw.DrawPoint(point, HitPointSize, HitColor);
	debugDraw.DrawSegment(point, point + NormalLength * normal, NormalColor);
}

void RayCast::Step(Settings* settings)
{
	// Read before the base step, which clears a pending single step.
	const bool advance = settings->pause == 0 || settings->singleStep != 0;

	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Press 1-5 to drop stuff, m to change the mode");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, "Mode = %d", mode);
	textLine += TextLineStep;

	const b2Vec2 p1 = RayOrigin;
	const b2Vec2 p2 = p1 + RayLength * b2Vec2(cosf(angle), sinf(angle));
	if (mode == Closest)
	{
		CastForOne<RayCastClosestCallback>(p1, p2);
	}
	else if (mode == Any)
	{
		CastForOne<RayCastAnyCallback>(p1, p2);
	}
	else
	{
		CastForAll(p1, p2);
	}

	if (advance)
	{
		angle += TurnPerStep;
	}
}

template <typename Callback>
void RayCast::CastForOne(const b2Vec2& p1, const b2Vec2& p2)
{
	Callback callback;
	world->RayCast(&callback, p1, p2);
	hitCount = callback.hit ? 1 : 0;
	if (callback.hit)
	{
		DrawHit(callback.point, callback.normal);
		debugDraw.DrawSegment(p1, callback.point, RayColor);
	}
	else
	{
		debugDraw.DrawSegment(p1, p2, RayColor);
	}
}

void RayCast::CastForAll(const b2Vec2& p1, const b2Vec2& p2)
{
	RayCastMultipleCallback callback;
	world->RayCast(&callback, p1, p2);
	hitCount = callback.count;
	debugDraw.DrawSegment(p1, p2, RayColor);
	for (int i = 0; i < callback.count; ++i)
	{
		DrawHit(callback.points[i], callback.normals[i]);
	}
}
