#include "scenes/VaryingRestitution.h"

namespace
{
constexpr float Restitutions[] = {0.0f, 0.1f, 0.3f, 0.5f, 0.75f, 0.9f, 1.0f};
constexpr float BallRadius = 1.0f;
constexpr float BallDensity = 1.0f;
constexpr float FirstX = -10.0f;
constexpr float Spacing = 3.0f;
constexpr float DropHeight = 20.0f;
} // namespace

VaryingRestitution::VaryingRestitution()
{
	CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	b2CircleShape shape;
	shape.m_radius = BallRadius;

	b2FixtureDef fd;
	fd.shape = &shape;
	fd.density = BallDensity;

	int i = 0;
	for (float restitution : Restitutions)
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(FirstX + Spacing * i, DropHeight);
		b2Body* body = world->CreateBody(&bd);

		fd.restitution = restitution;
		body->CreateFixture(&fd);
		++i;
	}
}

Test* VaryingRestitution::Create()
{
	return new VaryingRestitution;
}
