#include "game/objects/Knight.h"

#include <cmath>

#include "game/objects/GameWorld.h"
#include "game/objects/Proj.h"
#include "game/objects/Shield.h"

namespace
{
constexpr int AttackButton = 0;
constexpr int BlockButton = 2;
}

Knight::Knight()
{
	b2Body* body = fixture->GetBody();
	shield = new Shield();

	b2BodyDef bodyDef;
	bodyDef.type = b2_kinematicBody;
	bodyDef.position = body->GetPosition();
	bodyDef.allowSleep = false;
	bodyDef.awake = true;
	b2Body* shieldBody = GameWorldInstance->world->CreateBody(&bodyDef);
	shieldBody->SetEnabled(false);

	b2PolygonShape box;
	box.SetAsBox(Shield::HalfWidth, Shield::HalfHeight);
	b2FixtureDef fixtureDef;
	fixtureDef.shape = &box;
	fixtureDef.friction = 1.0f;
	fixtureDef.restitution = 1.0f;
	fixtureDef.density = 1.0f;
	fixtureDef.userData = shield->UserData();
	shield->fixture = shieldBody->CreateFixture(&fixtureDef);
	shieldBody->SetGravityScale(0.0f);
	GameWorldInstance->Add(shield);

	flags |= PlayerFlag;
	kind = KindKnight;
}

void Knight::Update()
{
	b2Body* body = fixture->GetBody();
	b2Body* shieldBody = shield->fixture->GetBody();
	if (!SufferHarm(hurt, fade, shieldBody))
	{
		return;
	}

	const bool blocking = control->held[BlockButton];
	Move(control->stick.x, !blocking);

	const bool attackPressed = control->held[AttackButton] && control->changed[AttackButton];
	if (attackPressed && !attacking && !blocking)
	{
		GameWorldInstance->PlaySound(GameSounds::Mace);
		fixture->SetDensity(SwingDensity);
		body->ResetMassData();
		attacking = true;
		Attack();
	}

	StartJump();
	EndFrame();

	b2Vec2 a(control->stick.x, -control->stick.y);
	if (a.Length() > 1.0f)
	{
		aim = a;
	}
	else
	{
		a = aim;
	}

	shieldBody->SetEnabled(false);
	if (blocking && groundTimer > 0)
	{
		a.Normalize();
		const b2Vec2 offset = ReachLength * a;
		shieldBody->SetEnabled(true);
		shieldBody->SetTransform(body->GetPosition() + offset, std::atan2(offset.y, offset.x));
		shield->facing = facing;
	}

	velocity = body->GetLinearVelocity();
}

void Knight::OnProjectileGone(int kind)
{
	if (kind != KindMace)
	{
		return;
	}
	fixture->SetDensity(RestDensity);
	attacking = false;
	fixture->GetBody()->ResetMassData();
}

void Knight::Attack()
{
	b2Body* body = fixture->GetBody();
	const float diagonal = -MaceSpeed * facing / std::sqrt(2.0f);
	const b2Vec2 d(diagonal, diagonal);
	const b2Vec2 launchVelocity(-d.y, d.x);

	Proj* mace = new Proj();
	const b2Vec2 start = body->GetPosition() + b2Vec2(0.0f, ReachLength);
	CreateProjectileBall(mace, start, launchVelocity, MaceDensity);
	mace->flags |= PlayerShotFlag;
	mace->kind = KindMace;

	b2Body* ball = mace->fixture->GetBody();
	b2DistanceJointDef tether;
	tether.Initialize(ball, body, ball->GetPosition(), body->GetPosition());
	tether.collideConnected = false;
	mace->joint = GameWorldInstance->world->CreateJoint(&tether);
	Launch(mace);
}
