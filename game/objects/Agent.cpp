#include "game/objects/Agent.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "game/GameGlobals.h"
#include "game/objects/GameWorld.h"
#include "game/objects/Proj.h"

namespace
{
constexpr float GaitSpeedScale = 10.0f;
constexpr float GaitRate = 0.02f;
constexpr float BobHeight = 0.25f;
constexpr float StickDeadZone = 0.001f;
constexpr float HarmPerHit = 0.01f;
constexpr float Recovery = 0.001f;
constexpr float FadeRate = 0.1f;
constexpr float Pi = 3.14159265358979f;
constexpr int JumpButton = 1;
}

Agent::Agent()
{
	b2BodyDef bodyDef;
	bodyDef.type = b2_dynamicBody;
	bodyDef.allowSleep = false;
	bodyDef.awake = true;
	bodyDef.fixedRotation = true;
	b2Body* body = GameWorldInstance->world->CreateBody(&bodyDef);

	b2CircleShape circle;
	circle.m_radius = Radius;
	b2FixtureDef fixtureDef;
	fixtureDef.shape = &circle;
	fixtureDef.density = 1.0f;
	fixtureDef.friction = 1.0f;
	fixtureDef.restitution = 0.0f;
	fixtureDef.userData = UserData();
	fixture = body->CreateFixture(&fixtureDef);
}

Agent::~Agent()
{
	b2World* world = GameWorldInstance->world;
	b2Body* body = fixture->GetBody();
	body->DestroyFixture(fixture);
	world->DestroyBody(body);
}

void Agent::OnPreSolve(b2Contact* contact, const b2Manifold*, b2Fixture*, b2Fixture* other)
{
	if ((FlagsOf(other) & GroundFlag) == 0)
	{
		return;
	}
	contact->SetFriction(std::sqrt(contact->GetFixtureA()->GetFriction() * contact->GetFixtureB()->GetFriction()));
	if (pushing)
	{
		contact->SetFriction(0.0f);
	}
}

void Agent::OnContact(b2Contact* contact, b2Fixture* self, b2Fixture* other)
{
	if (!contact->IsEnabled() || (FlagsOf(other) & GroundFlag) == 0)
	{
		return;
	}
	const b2Vec2 normal = ContactNormal(contact, self);
	if (normal.y > SupportNormalY)
	{
		groundNormal = normal;
		groundTimer = GroundGraceFrames;
		onGround = true;
	}
	else if (std::fabs(normal.y) < WallNormalY)
	{
		wallNormal = normal;
	}
}

void Agent::Move(float stickX, bool push)
{
	b2Body* body = fixture->GetBody();
	const b2Vec2 n = groundNormal;
	const b2Vec2 impulse = stickX * moveScale * b2Vec2(n.y, -n.x);
	const b2Vec2 leftTangent(-n.y, n.x);
	const float leftSpeed = b2Dot(body->GetLinearVelocity(), leftTangent);

	pushing = false;
	bob = 0.0f;
	const bool left = stickX < -StickDeadZone;
	const bool right = stickX > StickDeadZone;
	if (!left && !right)
	{
		return;
	}
	facing = left ? -1.0f : 1.0f;

	const float gait = std::fabs(leftSpeed) / GaitSpeedScale;
	walkPhase += GaitRate * gait;
	while (walkPhase >= 1.0f)
	{
		walkPhase -= 1.0f;
	}
	if (groundTimer > 0)
	{
		bob = BobHeight * std::sin(2.0f * Pi * gait * walkPhase);
	}

	const bool belowLimit = left ? leftSpeed < maxSpeed : leftSpeed > -maxSpeed;
	const bool intoWall = b2Dot(impulse, wallNormal) < 0.0f;
	if (belowLimit && push && !intoWall)
	{
		pushing = true;
		body->ApplyLinearImpulse(impulse, b2Vec2(0.0f, 0.0f), true);
	}
}

void Agent::EndFrame()
{
	if (jumpTimer > 0)
	{
		fixture->GetBody()->ApplyLinearImpulse(jumpStrength * jumpDir, b2Vec2(0.0f, 0.0f), true);
	}
	groundNormal.Set(0.0f, 1.0f);
	wallNormal.SetZero();
	onGround = false;
	if (jumpTimer > 0)
	{
		--jumpTimer;
	}
	if (groundTimer > 0)
	{
		--groundTimer;
	}
}

void Agent::StartJump()
{
	if (!control->changed[JumpButton])
	{
		return;
	}
	if (!control->held[JumpButton])
	{
		jumpTimer = 0;
	}
	else if (onGround)
	{
		jumpTimer = JumpFrames;
		jumpDir.Set(0.0f, 1.0f);
	}
}

bool Agent::SufferHarm(float& hurt, float& fade, b2Body* extraBody)
{
	if (Has(DyingFlag))
	{
		fixture->GetBody()->SetEnabled(false);
		fade = std::max(0.0f, fade - FadeRate);
		return false;
	}
	if (Has(HitFlag))
	{
		if (!GodMode)
		{
			hurt += HarmPerHit;
		}
		if (hurt >= 1.0f)
		{
			// The rest of the update would raise the shield or show the bow
			// again, and a fighter that is down never updates it after.
			flags |= DyingFlag;
			extraBody->SetEnabled(false);
			flags &= ~HitFlag;
			return false;
		}
		else
		{
			GameWorldInstance->PlaySound(rand() % 2 == 0 ? GameSounds::P1 : GameSounds::P2);
		}
	}
	flags &= ~HitFlag;
	hurt = std::max(0.0f, hurt - Recovery);
	return true;
}

void Agent::Launch(Proj* projectile)
{
	projectile->owner = this;
	GameWorldInstance->Add(projectile);
}

b2Vec2 ContactNormal(b2Contact* contact, b2Fixture* self)
{
	b2WorldManifold manifold;
	contact->GetWorldManifold(&manifold);
	return contact->GetFixtureA() == self ? -manifold.normal : manifold.normal;
}
