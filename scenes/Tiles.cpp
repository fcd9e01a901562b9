#include "scenes/Tiles.h"

#include <cmath>

namespace
{
constexpr int GroundRows = 10;
constexpr int GroundColumns = 200;
constexpr float GroundLeft = -100.0f;
constexpr float HalfSize = 0.5f;
constexpr int PyramidRows = 20;
constexpr float BoxDensity = 5.0f;
const b2Vec2 PyramidStart(-7.0f, 0.75f);
const b2Vec2 RowStep(0.5625f, 1.25f);
const b2Vec2 ColumnStep(1.125f, 0.0f);
} // namespace

Tiles::Tiles()
	: fixtureCount(0), createTime(0.0f)
{
	b2Timer timer;

	{
		b2BodyDef bd;
		bd.position.Set(0.0f, -HalfSize);
		b2Body* ground = world->CreateBody(&bd);

		for (int j = 0; j < GroundRows; ++j)
		{
			const float y = -static_cast<float>(j);
			for (int i = 0; i < GroundColumns; ++i)
			{
				b2PolygonShape shape;
				shape.SetAsBox(HalfSize, HalfSize, b2Vec2(GroundLeft + i, y), 0.0f);
				ground->CreateFixture(&shape, 0.0f);
				++fixtureCount;
			}
		}
	}

	{
		b2PolygonShape shape;
		shape.SetAsBox(HalfSize, HalfSize);

		b2Vec2 rowStart = PyramidStart;
		for (int i = 0; i < PyramidRows; ++i)
		{
			b2Vec2 position = rowStart;
			for (int j = i; j < PyramidRows; ++j)
			{
				b2BodyDef bd;
				bd.type = b2_dynamicBody;
				bd.position = position;
				b2Body* body = world->CreateBody(&bd);
				body->CreateFixture(&shape, BoxDensity);
				++fixtureCount;
				position += ColumnStep;
			}
			rowStart += RowStep;
		}
	}

	createTime = timer.GetMilliseconds();
}

Test* Tiles::Create()
{
	return new Tiles;
}

void Tiles::Step(Settings* settings)
{
	const int32 height = world->GetTreeHeight();
	const int32 leafCount = world->GetProxyCount();
	const int32 minimumHeight =
		static_cast<int32>(ceilf(logf(2.0f * leafCount - 1.0f) / logf(2.0f)));
	debugDraw.DrawString(5, textLine, "dynamic tree height = %d, min = %d", height, minimumHeight);
	textLine += TextLineStep;

	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "create time = %6.2f ms, fixture count = %d", createTime, fixtureCount);
	textLine += TextLineStep;
}
