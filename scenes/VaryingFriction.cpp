#include "scenes/VaryingFriction.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
constexpr float BoxHalfSize = 0.5f;
constexpr float BoxDensity = 25.0f;
const float Frictions[VaryingFriction::BoxCount] = {0.75f, 0.5f, 0.35f, 0.1f, 0.0f};
} // namespace

VaryingFriction::VaryingFriction()
{
	CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	CreateStaticBox(b2Vec2(-4.0f, 22.0f), 13.0f, 0.25f, -0.25f);
	CreateStaticBox(b2Vec2(10.5f, 19.0f), 0.25f, 1.0f, 0.0f);
	CreateStaticBox(b2Vec2(4.0f, 14.0f), 13.0f, 0.25f, 0.25f);
	CreateStaticBox(b2Vec2(-10.5f, 11.0f), 0.25f, 1.0f, 0.0f);
	CreateStaticBox(b2Vec2(-4.0f, 6.0f), 13.0f, 0.25f, -0.25f);

	b2PolygonShape box;
	box.SetAsBox(BoxHalfSize, BoxHalfSize);

	b2FixtureDef fd;
	fd.shape = &box;
	fd.density = BoxDensity;

	for (int i = 0; i < BoxCount; ++i)
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(-15.0f + 4.0f * i, 28.0f);
		boxes[i] = world->CreateBody(&bd);

		fd.friction = Frictions[i];
		boxes[i]->CreateFixture(&fd);
	}
}

Test* VaryingFriction::Create()
{
	return new VaryingFriction;
}
