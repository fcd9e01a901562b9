#include "scenes/OneSidedPlatform.h"

namespace
{
const b2Vec2 PlatformPosition(0.0f, 10.0f);
constexpr float PlatformHalfWidth = 3.0f;
constexpr float PlatformHalfHeight = 0.5f;
constexpr float BallRadius = 0.5f;
constexpr float BallDensity = 20.0f;
const b2Vec2 BallStart(0.0f, 12.0f);
const b2Vec2 BallVelocity(0.0f, -50.0f);
// How far the ball's lowest point may sink below the top face and still
// count as standing on it.
constexpr float Tolerance = 0.015f;
} // namespace

OneSidedPlatform::OneSidedPlatform()
	: radius(BallRadius), top(PlatformPosition.y + PlatformHalfHeight), platform(nullptr), character(nullptr)
{
	CreateEdgeGround(b2Vec2(-20.0f, 0.0f), b2Vec2(20.0f, 0.0f));

	{
		b2BodyDef bd;
		bd.position = PlatformPosition;
		b2Body* body = world->CreateBody(&bd);

		b2PolygonShape shape;
		shape.SetAsBox(PlatformHalfWidth, PlatformHalfHeight);
		platform = body->CreateFixture(&shape, 0.0f);
	}

	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = BallStart;
		b2Body* body = world->CreateBody(&bd);

		b2CircleShape shape;
		shape.m_radius = radius;
		character = body->CreateFixture(&shape, BallDensity);

		body->SetLinearVelocity(BallVelocity);
	}
}

Test* OneSidedPlatform::Create()
{
	return new OneSidedPlatform;
}

void OneSidedPlatform::PreSolve(b2Contact* contact, const b2Manifold* oldManifold)
{
	Test::PreSolve(contact, oldManifold);

	const b2Fixture* fixtureA = contact->GetFixtureA();
	const b2Fixture* fixtureB = contact->GetFixtureB();
	const bool platformPair = (fixtureA == platform && fixtureB == character) ||
		(fixtureA == character && fixtureB == platform);
	if (!platformPair)
	{
		return;
	}

	const b2Vec2 position = character->GetBody()->GetPosition();
	if (position.y < top + radius - Tolerance)
	{
		contact->SetEnabled(false);
	}
}

void OneSidedPlatform::Step(Settings* settings)
{
	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Press: (c) create a shape, (d) destroy a shape.");
	textLine += TextLineStep;
}
