#include "scenes/SphereStack.h"

namespace
{
constexpr int BallCount = 10;
constexpr float BallRadius = 1.0f;
constexpr float BallDensity = 1.0f;
constexpr float FirstY = 4.0f;
constexpr float Spacing = 3.0f;
const b2Vec2 ThrowVelocity(0.0f, -50.0f);
} // namespace

SphereStack::SphereStack()
{
	CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	b2CircleShape shape;
	shape.m_radius = BallRadius;

	for (int i = 0; i < BallCount; ++i)
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(0.0f, FirstY + Spacing * i);
		b2Body* body = world->CreateBody(&bd);
		body->CreateFixture(&shape, BallDensity);
		body->SetLinearVelocity(ThrowVelocity);
	}
}

Test* SphereStack::Create()
{
	return new SphereStack;
}
