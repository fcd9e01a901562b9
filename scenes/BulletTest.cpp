#include "scenes/BulletTest.h"

#include "scenes/CollisionStatistics.h"

namespace
{
constexpr float GroundHalfWidth = 10.0f;
const b2Vec2 WallHalfSize(0.2f, 1.0f);
const b2Vec2 WallCenter(0.5f, 1.0f);
const b2Vec2 BarHalfSize(2.0f, 0.1f);
const b2Vec2 BarPosition(0.0f, 4.0f);
constexpr float BulletHalfSize = 0.25f;
constexpr float BulletDensity = 100.0f;
const b2Vec2 BulletPosition(0.2f, 10.0f);
const b2Vec2 BulletVelocity(0.0f, -50.0f);
} // namespace

BulletTest::BulletTest()
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
		b2Body* bar = world->CreateBody(&bd);

		b2PolygonShape box;
		box.SetAsBox(BarHalfSize.x, BarHalfSize.y);
		bar->CreateFixture(&box, 1.0f);
	}

	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = BulletPosition;
		bd.bullet = true;
		bullet = world->CreateBody(&bd);
		bullet->SetLinearVelocity(BulletVelocity);

		b2PolygonShape box;
		box.SetAsBox(BulletHalfSize, BulletHalfSize);
		bullet->CreateFixture(&box, BulletDensity);
	}

	CollisionStatistics::Reset();
}

Test* BulletTest::Create()
{
	return new BulletTest;
}

void BulletTest::Step(Settings* settings)
{
	Test::Step(settings);
	CollisionStatistics::Draw(debugDraw, textLine);
}
