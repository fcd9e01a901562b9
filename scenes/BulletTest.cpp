#include "scenes/BulletTest.h"

namespace
{
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
}

Test* BulletTest::Create()
{
	return new BulletTest;
}
