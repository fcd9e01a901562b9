#include "scenes/Breakable.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
const b2Vec2 StartPosition(0.0f, 40.0f);
constexpr float StartAngle = 0.25f * b2_pi;
constexpr float PieceHalfSize = 0.5f;
const b2Vec2 PieceCenter1(-0.5f, 0.0f);
const b2Vec2 PieceCenter2(0.5f, 0.0f);
constexpr float PieceDensity = 1.0f;
} // namespace

Breakable::Breakable()
	: velocity(0.0f, 0.0f), angularVelocity(0.0f), breakRequested(false), broken(false)
{
	CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = StartPosition;
	bd.angle = StartAngle;
	body1 = world->CreateBody(&bd);

	shape1.SetAsBox(PieceHalfSize, PieceHalfSize, PieceCenter1, 0.0f);
	piece1 = body1->CreateFixture(&shape1, PieceDensity);

	shape2.SetAsBox(PieceHalfSize, PieceHalfSize, PieceCenter2, 0.0f);
	piece2 = body1->CreateFixture(&shape2, PieceDensity);
}

Test* Breakable::Create()
{
	return new Breakable;
}

void Breakable::PostSolve(b2Contact* contact, const b2ContactImpulse* impulse)
{
	if (broken)
	{
		return;
	}

	// Only blows that land on the breakable body count; a bomb hitting the
	// ground elsewhere must not split it.
	if (contact->GetFixtureA()->GetBody() != body1 && contact->GetFixtureB()->GetBody() != body1)
	{
		return;
	}

	const int32 count = contact->GetManifold()->pointCount;
	float maxImpulse = 0.0f;
	for (int32 i = 0; i < count; ++i)
	{
		maxImpulse = b2Max(maxImpulse, impulse->normalImpulses[i]);
	}

	if (maxImpulse > BreakImpulse)
	{
		// The world is locked during the step; split at the start of the next.
		breakRequested = true;
	}
}

void Breakable::Break()
{
	const b2Vec2 center = body1->GetWorldCenter();

	body1->DestroyFixture(piece2);
	piece2 = nullptr;

	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = body1->GetPosition();
	bd.angle = body1->GetAngle();
	b2Body* body2 = world->CreateBody(&bd);
	piece2 = body2->CreateFixture(&shape2, PieceDensity);

	// Each half keeps the velocity its points had before the blow, so the
	// pieces fly apart as the whole body was moving.
	const b2Vec2 center1 = body1->GetWorldCenter();
	const b2Vec2 center2 = body2->GetWorldCenter();
	body1->SetAngularVelocity(angularVelocity);
	body1->SetLinearVelocity(velocity + b2Cross(angularVelocity, center1 - center));
	body2->SetAngularVelocity(angularVelocity);
	body2->SetLinearVelocity(velocity + b2Cross(angularVelocity, center2 - center));
}

void Breakable::Step(Settings* settings)
{
	if (breakRequested)
	{
		Break();
		broken = true;
		breakRequested = false;
	}

	if (!broken)
	{
		velocity = body1->GetLinearVelocity();
		angularVelocity = body1->GetAngularVelocity();
	}

	Test::Step(settings);
}
