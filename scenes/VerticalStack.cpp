#include "scenes/VerticalStack.h"

namespace
{
constexpr float ColumnXs[] = {0.0f, -10.0f, -5.0f, 5.0f, 10.0f};
constexpr int RowCount = 16;
constexpr float BoxHalfSize = 0.5f;
constexpr float BoxFriction = 0.3f;
constexpr float FirstRowY = 0.752f;
constexpr float RowSpacing = 1.54f;
constexpr float BulletRadius = 0.25f;
constexpr float BulletDensity = 20.0f;
constexpr float BulletRestitution = 0.05f;
const b2Vec2 BulletStart(-31.0f, 5.0f);
const b2Vec2 BulletVelocity(400.0f, 0.0f);
} // namespace

VerticalStack::VerticalStack()
	: bullet(nullptr)
{
	{
		b2Body* ground = CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

		b2EdgeShape wall;
		wall.SetTwoSided(b2Vec2(20.0f, 0.0f), b2Vec2(20.0f, 20.0f));
		ground->CreateFixture(&wall, 0.0f);
	}

	b2PolygonShape shape;
	shape.SetAsBox(BoxHalfSize, BoxHalfSize);

	b2FixtureDef fd;
	fd.shape = &shape;
	fd.density = 1.0f;
	fd.friction = BoxFriction;

	for (float x : ColumnXs)
	{
		for (int i = 0; i < RowCount; ++i)
		{
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position.Set(x, FirstRowY + RowSpacing * i);
			world->CreateBody(&bd)->CreateFixture(&fd);
		}
	}
}

Test* VerticalStack::Create()
{
	return new VerticalStack;
}

void VerticalStack::Keyboard(unsigned char key)
{
	if (key != ',')
	{
		return;
	}

	if (bullet != nullptr)
	{
		world->DestroyBody(bullet);
		bullet = nullptr;
	}

	b2CircleShape shape;
	shape.m_radius = BulletRadius;

	b2FixtureDef fd;
	fd.shape = &shape;
	fd.density = BulletDensity;
	fd.restitution = BulletRestitution;

	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.bullet = true;
	bd.position = BulletStart;
	bullet = world->CreateBody(&bd);
	bullet->CreateFixture(&fd);
	bullet->SetLinearVelocity(BulletVelocity);
}

void VerticalStack::Step(Settings* settings)
{
	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Press: (,) to launch a bullet.");
	textLine += TextLineStep;
}
