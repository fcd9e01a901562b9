#include "scenes/Pyramid.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
constexpr int Rows = 20;
constexpr float HalfSize = 0.5f;
constexpr float Density = 5.0f;
const b2Vec2 PyramidStart(-7.0f, 0.75f);
const b2Vec2 RowStep(0.5625f, 1.25f);
constexpr float ColumnStep = 1.125f;
} // namespace

Pyramid::Pyramid()
	: topBox(nullptr)
{
	CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	b2PolygonShape box;
	box.SetAsBox(HalfSize, HalfSize);

	b2Vec2 rowStart = PyramidStart;
	for (int i = 0; i < Rows; ++i)
	{
		b2Vec2 position = rowStart;
		for (int j = i; j < Rows; ++j)
		{
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position = position;
			topBox = world->CreateBody(&bd);
			topBox->CreateFixture(&box, Density);
			position.x += ColumnStep;
		}
		rowStart += RowStep;
	}
}

Test* Pyramid::Create()
{
	return new Pyramid;
}
