#include "scenes/TimeOfImpact.h"

#include <box2d/b2_time_of_impact.h>

#include "scenes/CollisionStatistics.h"

namespace
{
const b2Vec2 HalfSizeA(25.0f, 5.0f);
const b2Vec2 HalfSizeB(2.5f, 2.5f);
// The long box lies still; the small one falls on it from the upper left
// while turning, and would pass right through it without the test.
const b2Vec2 CenterA(0.0f, 8.0f);
constexpr float AngleA = 0.0f;
const b2Vec2 StartB(-15.0f, 38.0f);
constexpr float StartAngleB = 0.0f;
const b2Vec2 EndB(10.0f, 1.0f);
constexpr float EndAngleB = 2.0f;
const b2Color ColorA(0.9f, 0.9f, 0.9f);
const b2Color ColorStart(0.4f, 0.9f, 0.4f);
const b2Color ColorImpact(1.0f, 0.5f, 0.3f);
const b2Color ColorEnd(0.4f, 0.6f, 1.0f);

b2Sweep MakeSweep(const b2Vec2& c0, float a0, const b2Vec2& c, float a)
{
	b2Sweep sweep;
	sweep.localCenter.SetZero();
	sweep.c0 = c0;
	sweep.a0 = a0;
	sweep.c = c;
	sweep.a = a;
	sweep.alpha0 = 0.0f;
	return sweep;
}
} // namespace

TimeOfImpact::TimeOfImpact()
	: sweepA(MakeSweep(CenterA, AngleA, CenterA, AngleA)),
	  sweepB(MakeSweep(StartB, StartAngleB, EndB, EndAngleB)),
	  toi(1.0f)
{
	shapeA.SetAsBox(HalfSizeA.x, HalfSizeA.y);
	shapeB.SetAsBox(HalfSizeB.x, HalfSizeB.y);
}

Test* TimeOfImpact::Create()
{
	return new TimeOfImpact;
}

void TimeOfImpact::Step(Settings* settings)
{
	Test::Step(settings);

	b2TOIInput input;
	input.proxyA.Set(&shapeA, 0);
	input.proxyB.Set(&shapeB, 0);
	input.sweepA = sweepA;
	input.sweepB = sweepB;
	input.tMax = 1.0f;

	b2TOIOutput output;
	b2TimeOfImpact(&output, &input);
	toi = output.t;

	debugDraw.DrawString(5, textLine, "toi = %g", output.t);
	textLine += TextLineStep;

	debugDraw.DrawString(5, textLine, "max toi iters = %d, max root iters = %d", b2_toiMaxIters,
		b2_toiMaxRootIters);
	textLine += TextLineStep;

	b2Transform xf;
	sweepA.GetTransform(&xf, 0.0f);
	debugDraw.DrawPolygonShape(shapeA, xf, ColorA);

	sweepB.GetTransform(&xf, 0.0f);
	debugDraw.DrawPolygonShape(shapeB, xf, ColorStart);

	sweepB.GetTransform(&xf, output.t);
	debugDraw.DrawPolygonShape(shapeB, xf, ColorImpact);

	sweepB.GetTransform(&xf, 1.0f);
	debugDraw.DrawPolygonShape(shapeB, xf, ColorEnd);
}
