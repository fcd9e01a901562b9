#include "scenes/ContinuousCollisionScene.h"

#include "scenes/CollisionStatistics.h"

namespace
{
constexpr float GroundHalfWidth = 10.0f;
const b2Vec2 PostHalfSize(0.2f, 1.0f);
const b2Vec2 PostCenter(0.5f, 1.0f);
} // namespace

ContinuousCollisionScene::ContinuousCollisionScene()
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	b2PolygonShape post;
	post.SetAsBox(PostHalfSize.x, PostHalfSize.y, PostCenter, 0.0f);
	ground->CreateFixture(&post, 0.0f);

	CollisionStatistics::Reset();
}

void ContinuousCollisionScene::Step(Settings* settings)
{
	Test::Step(settings);
	CollisionStatistics::Draw(debugDraw, textLine);
}
