#include "game/objects/Archer.h"

#include <cmath>

#include "game/objects/GameWorld.h"
#include "game/objects/Proj.h"

namespace
{
constexpr int FireButton = 0;
constexpr int SprintButton = 2;

void CountDown(int32_t& timer)
{
	if (timer > 0)
	{
		--timer;
	}
}
}

Archer::Archer()
{
	b2BodyDef bodyDef;
	bodyDef.type = b2_kinematicBody;
	bodyDef.position = fixture->GetBody()->GetPosition();
	bodyDef.allowSleep = false;
	bodyDef.awake = true;
	bowBody = GameWorldInstance->world->CreateBody(&bodyDef);
	bowBody->SetEnabled(false);
	bowBody->SetGravityScale(0.0f);

	flags |= PlayerFlag;
	kind = KindArcher;
}

void Archer::Update()
{
	if (!SufferHarm(hurt, fade, bowBody))
	{
		return;
	}
	SetPace();
	Move(control->stick.x, bowDown);
	StartJump();
	EndFrame();

	const bool fireHeld = control->held[FireButton];
	const bool fireChanged = control->changed[FireButton];
	TakeStance(fireHeld, fireChanged);
	const b2Vec2 a = Aim();
	if (groundTimer <= 0)
	{
		bowDown = true;
	}
	RaiseBow(a);
	if (!fireHeld && fireChanged)
	{
		Release();
	}
	ShowQuickShotBow();

	CountDown(holdTimer);
	CountDown(bowShowTimer);
	CountDown(sprintCooldown);
}

void Archer::SetPace()
{
	moveScale = 1.0f;
	maxSpeed = WalkSpeed;
	if (control->held[SprintButton])
	{
		sprintCooldown = TimerFrames;
		moveScale = SprintScale;
		maxSpeed = SprintSpeed;
	}
}

void Archer::TakeStance(bool fireHeld, bool fireChanged)
{
	if (fireHeld && fireChanged)
	{
		holdTimer = TimerFrames;
	}
	if (fireHeld && bowDown && !drawLatch && holdTimer <= 0 && groundTimer > 0 && sprintCooldown <= 0)
	{
		bowDown = false;
		aimGiven = false;
		drawLatch = true;
	}
}

b2Vec2 Archer::Aim()
{
	b2Vec2 a(control->stick.x, -control->stick.y);
	if (a.Length() > 1.0f)
	{
		aim = a;
		if (drawLatch)
		{
			aimGiven = true;
		}
	}
	else
	{
		a = aim;
		if (aimGiven)
		{
			bowDown = true;
		}
	}
	return a;
}

void Archer::RaiseBow(b2Vec2 a)
{
	bowBody->SetEnabled(false);
	if (!bowDown)
	{
		a.Normalize();
		const b2Vec2 offset = BowDistance * a;
		bowBody->SetEnabled(true);
		bowBody->SetTransform(fixture->GetBody()->GetPosition() + offset, std::atan2(offset.y, offset.x));
		bowShowTimer = 0;
	}
}

void Archer::Release()
{
	b2Body* body = fixture->GetBody();
	if (!bowDown)
	{
		if (!aimGiven || body->GetLinearVelocity().Length() > AimedShotSpeed)
		{
			bowDown = true;
		}
		if (!bowDown && !drawLatch && sprintCooldown <= 0)
		{
			GameWorldInstance->PlaySound(GameSounds::Arrow);
			bowBody->SetEnabled(true);
			aim.Normalize();
			Shoot(aim);
		}
	}
	else if (!drawLatch && sprintCooldown <= 0)
	{
		GameWorldInstance->PlaySound(GameSounds::Arrow);
		b2Vec2 d(facing, 1.0f);
		d.Normalize();
		Shoot(d);
		bowShowTimer = TimerFrames;
		bowOffset = BowDistance * d;
	}
	drawLatch = false;
}

void Archer::ShowQuickShotBow()
{
	if (bowShowTimer > 0)
	{
		bowBody->SetEnabled(true);
		bowBody->SetTransform(fixture->GetBody()->GetPosition() + bowOffset, std::atan2(bowOffset.y, bowOffset.x));
	}
}

void Archer::Shoot(b2Vec2 dir)
{
	b2Body* body = fixture->GetBody();
	Proj* arrow = new Proj();
	CreateProjectileBall(arrow, body->GetPosition(), body->GetLinearVelocity() + ArrowSpeed * dir, ArrowDensity);
	arrow->flags |= PlayerShotFlag;
	arrow->kind = KindArrow;
	Launch(arrow);
}
