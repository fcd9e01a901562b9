#include "scenes/ContinuousTest.h"

#include "scenes/CollisionStatistics.h"
#include "scenes/SceneRandom.h"

namespace
{
constexpr float GroundHalfWidth = 10.0f;
const b2Vec2 WallHalfSize(0.2f, 1.0f);
const b2Vec2 WallCenter(0.5f, 1.0f);
const b2Vec2 BarHalfSize(2.0f, 0.1f);
const b2Vec2 BarPosition(0.0f, 20.0f);
const b2Vec2 BarVelocity(0.0f, -100.0f);
constexpr float MaxSpin = 50.0f;
} // namespace

ContinuousTest::ContinuousTest()
{
	{
		b2Body* ground = CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

		b2PolygonShape wall;
		wall.SetAsBox(WallHalfSize.x, WallHalfSize.y, WallCenter, 0.0f);
		ground->CreateFixture(&wall, 0.0f);
	}

	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = BarPosition;
		bar = world->CreateBody(&bd);

		b2PolygonShape box;
		box.SetAsBox(BarHalfSize.x, BarHalfSize.y);
		bar->CreateFixture(&box, 1.0f);

		bar->SetLinearVelocity(BarVelocity);
		bar->SetAngularVelocity(RandomFloat(-MaxSpin, MaxSpin));
	}

	CollisionStatistics::Reset();
}

Test* ContinuousTest::Create()
{
	return new ContinuousTest;
}

void ContinuousTest::Step(Settings* settings)
{
	Test::Step(settings);
	CollisionStatistics::Draw(debugDraw, textLine);
}
