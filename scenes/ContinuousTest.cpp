#include "scenes/ContinuousTest.h"

#include "scenes/SceneRandom.h"

namespace
{
const b2Vec2 BarHalfSize(2.0f, 0.1f);
const b2Vec2 BarPosition(0.0f, 20.0f);
const b2Vec2 BarVelocity(0.0f, -100.0f);
constexpr float MaxSpin = 50.0f;
} // namespace

ContinuousTest::ContinuousTest()
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

Test* ContinuousTest::Create()
{
	return new ContinuousTest;
}
