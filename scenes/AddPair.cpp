#include "scenes/AddPair.h"

#include "scenes/SceneRandom.h"

namespace
{
constexpr float CircleRadius = 0.1f;
constexpr float CloudMinX = -6.0f;
constexpr float CloudMaxX = 0.0f;
constexpr float CloudMinY = 4.0f;
constexpr float CloudMaxY = 6.0f;
constexpr float BoxHalfSize = 1.5f;
const b2Vec2 BoxPosition(-40.0f, 5.0f);
const b2Vec2 BoxVelocity(150.0f, 0.0f);
} // namespace

AddPair::AddPair()
{
	world->SetGravity(b2Vec2(0.0f, 0.0f));

	{
		b2CircleShape circle;
		circle.m_radius = CircleRadius;

		for (int i = 0; i < CircleCount; ++i)
		{
			const float x = RandomFloat(CloudMinX, CloudMaxX);
			const float y = RandomFloat(CloudMinY, CloudMaxY);
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position.Set(x, y);
			world->CreateBody(&bd)->CreateFixture(&circle, 1.0f);
		}
	}

	{
		b2PolygonShape box;
		box.SetAsBox(BoxHalfSize, BoxHalfSize);

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = BoxPosition;
		bd.bullet = true;
		b2Body* body = world->CreateBody(&bd);
		body->CreateFixture(&box, 1.0f);
		body->SetLinearVelocity(BoxVelocity);
	}
}

Test* AddPair::Create()
{
	return new AddPair;
}
