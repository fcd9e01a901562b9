#include "scenes/CharacterCollision.h"

#include <cmath>

namespace
{
constexpr float CharacterDensity = 20.0f;
constexpr float CharacterSpeed = -5.0f;
constexpr float RollerRadius = 0.25f;
constexpr float RollerFriction = 1.0f;
constexpr int HexagonCorners = 6;
constexpr float HexagonRadius = 0.5f;

b2Body* MakeStatic(b2World* world, const b2Vec2& position = b2Vec2(0.0f, 0.0f), float angle = 0.0f)
{
	b2BodyDef bd;
	bd.position = position;
	bd.angle = angle;
	return world->CreateBody(&bd);
}

b2Body* MakeCharacter(b2World* world, const b2Vec2& position, const b2Shape& shape, bool fixedRotation,
	float friction)
{
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = position;
	bd.fixedRotation = fixedRotation;
	bd.allowSleep = false;
	b2Body* body = world->CreateBody(&bd);

	b2FixtureDef fd;
	fd.shape = &shape;
	fd.density = CharacterDensity;
	fd.friction = friction;
	body->CreateFixture(&fd);
	return body;
}
} // namespace

CharacterCollision::CharacterCollision()
{
	CreateEdgeGround(b2Vec2(-20.0f, 0.0f), b2Vec2(20.0f, 0.0f));

	// Collinear edges: boxes may catch on their seams.
	{
		b2Body* ground = MakeStatic(world);
		b2EdgeShape shape;
		shape.SetTwoSided(b2Vec2(-8.0f, 1.0f), b2Vec2(-6.0f, 1.0f));
		ground->CreateFixture(&shape, 0.0f);
		shape.SetTwoSided(b2Vec2(-6.0f, 1.0f), b2Vec2(-4.0f, 1.0f));
		ground->CreateFixture(&shape, 0.0f);
		shape.SetTwoSided(b2Vec2(-4.0f, 1.0f), b2Vec2(-2.0f, 1.0f));
		ground->CreateFixture(&shape, 0.0f);
	}

	// An open chain collides on the right of each segment, so the hump is
	// listed from its right end to keep its outside solid.
	{
		b2Body* ground = MakeStatic(world, b2Vec2(0.0f, 0.0f), 0.25f * b2_pi);
		const b2Vec2 vertices[4] = {b2Vec2(8.0f, 7.0f), b2Vec2(7.0f, 8.0f), b2Vec2(6.0f, 8.0f), b2Vec2(5.0f, 7.0f)};
		const b2Vec2 before = 2.0f * vertices[0] - vertices[1];
		const b2Vec2 after = 2.0f * vertices[3] - vertices[2];
		b2ChainShape shape;
		shape.CreateChain(vertices, 4, before, after);
		ground->CreateFixture(&shape, 0.0f);
	}

	// Aligned boxes on one body.
	{
		b2Body* ground = MakeStatic(world);
		b2PolygonShape shape;
		shape.SetAsBox(1.0f, 1.0f, b2Vec2(4.0f, 3.0f), 0.0f);
		ground->CreateFixture(&shape, 0.0f);
		shape.SetAsBox(1.0f, 1.0f, b2Vec2(6.0f, 3.0f), 0.0f);
		ground->CreateFixture(&shape, 0.0f);
		shape.SetAsBox(1.0f, 1.0f, b2Vec2(8.0f, 3.0f), 0.0f);
		ground->CreateFixture(&shape, 0.0f);
	}

	// A square loop.
	{
		b2Body* ground = MakeStatic(world);
		const b2Vec2 vertices[4] = {b2Vec2(-1.0f, 3.0f), b2Vec2(1.0f, 3.0f), b2Vec2(1.0f, 5.0f), b2Vec2(-1.0f, 5.0f)};
		b2ChainShape shape;
		shape.CreateLoop(vertices, 4);
		ground->CreateFixture(&shape, 0.0f);
	}

	// A bumpy loop.
	{
		b2Body* ground = MakeStatic(world, b2Vec2(-10.0f, 4.0f));
		const b2Vec2 vertices[10] = {
			b2Vec2(0.0f, 0.0f), b2Vec2(6.0f, 0.0f), b2Vec2(6.0f, 2.0f), b2Vec2(4.0f, 1.0f), b2Vec2(2.0f, 2.0f),
			b2Vec2(0.0f, 2.0f), b2Vec2(-2.0f, 2.0f), b2Vec2(-4.0f, 3.0f), b2Vec2(-6.0f, 2.0f), b2Vec2(-6.0f, 0.0f)};
		b2ChainShape shape;
		shape.CreateLoop(vertices, 10);
		ground->CreateFixture(&shape, 0.0f);
	}

	{
		b2PolygonShape shape;
		shape.SetAsBox(0.5f, 0.5f);
		MakeCharacter(world, b2Vec2(-3.0f, 8.0f), shape, true, 0.2f);
	}
	{
		b2PolygonShape shape;
		shape.SetAsBox(0.25f, 0.25f);
		MakeCharacter(world, b2Vec2(-5.0f, 5.0f), shape, true, 0.2f);
	}
	{
		b2Vec2 vertices[HexagonCorners];
		for (int i = 0; i < HexagonCorners; ++i)
		{
			const float angle = i * 2.0f * b2_pi / HexagonCorners;
			vertices[i].Set(HexagonRadius * cosf(angle), HexagonRadius * sinf(angle));
		}
		b2PolygonShape shape;
		shape.Set(vertices, HexagonCorners);
		MakeCharacter(world, b2Vec2(-5.0f, 8.0f), shape, true, 0.2f);
	}
	{
		b2CircleShape shape;
		shape.m_radius = 0.5f;
		MakeCharacter(world, b2Vec2(3.0f, 5.0f), shape, true, 0.2f);
	}
	{
		b2CircleShape shape;
		shape.m_radius = RollerRadius;
		character = MakeCharacter(world, b2Vec2(-7.0f, 6.0f), shape, false, RollerFriction);
	}
}

Test* CharacterCollision::Create()
{
	return new CharacterCollision;
}

void CharacterCollision::Step(Settings* settings)
{
	b2Vec2 velocity = character->GetLinearVelocity();
	velocity.x = CharacterSpeed;
	character->SetLinearVelocity(velocity);

	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "This tests various character collision shapes.");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, "Limitation: square and hexagon can snag on aligned boxes.");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, "Feature: edge chains have smooth collision inside and out.");
	textLine += TextLineStep;
}
