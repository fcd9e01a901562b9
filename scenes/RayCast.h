#pragma once

#include "framework/core/Test.h"
#include "scenes/ShapePrototypes.h"

// A turning ray that reports the closest hit, any hit or up to three hits
// among the shapes the user drops.
class RayCast : public Test
{
public:
	enum Mode
	{
		Closest,
		Any,
		Multiple,
	};

	// Keeps the nearest fixture the ray crosses.
	class RayCastClosestCallback : public b2RayCastCallback
	{
	public:
		float ReportFixture(b2Fixture* fixture, const b2Vec2& point, const b2Vec2& normal, float fraction) override;

		bool hit = false;
		b2Vec2 point{0.0f, 0.0f};
		b2Vec2 normal{0.0f, 0.0f};
	};

	// Stops at the first fixture the ray crosses, whichever that is.
	class RayCastAnyCallback : public b2RayCastCallback
	{
	public:
		float ReportFixture(b2Fixture* fixture, const b2Vec2& point, const b2Vec2& normal, float fraction) override;

		bool hit = false;
		b2Vec2 point{0.0f, 0.0f};
		b2Vec2 normal{0.0f, 0.0f};
	};

	// Collects crossings in the order the world reports them, up to
	// MaxHits; not sorted by distance.
	class RayCastMultipleCallback : public b2RayCastCallback
	{
	public:
		static constexpr int MaxHits = 3;

		float ReportFixture(b2Fixture* fixture, const b2Vec2& point, const b2Vec2& normal, float fraction) override;

		int count = 0;
		b2Vec2 points[MaxHits];
		b2Vec2 normals[MaxHits];
	};

	RayCast();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	int GetMode() const { return mode; }
	int GetBodyCount() const { return bodies.CountLive(); }
	// Hits of the last step's cast.
	int GetHitCount() const { return hitCount; }

private:
	void DrawHit(const b2Vec2& point, const b2Vec2& normal);
	// Casts from p1 to p2 with a callback that keeps one crossing, and
	// draws the ray up to it with its normal.
	template <typename Callback>
	void CastForOne(const b2Vec2& p1, const b2Vec2& p2);
	// Casts for every crossing up to MaxHits and draws the whole ray.
	void CastForAll(const b2Vec2& p1, const b2Vec2& p2);

	ShapePrototypes prototypes;
	DroppedBodies bodies;
	float angle;
	int mode;
	int hitCount;
};
