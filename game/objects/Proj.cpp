#include "game/objects/Proj.h"

#include "game/objects/Agent.h"
#include "game/objects/GameWorld.h"

Proj::~Proj()
{
	b2World* world = GameWorldInstance->world;
	Agent* launcher = owner.Get(*GameWorldInstance);
	if (joint != nullptr && launcher != nullptr)
	{
		world->DestroyJoint(joint);
	}
	b2Body* body = fixture->GetBody();
	body->DestroyFixture(fixture);
	world->DestroyBody(body);
	if (launcher != nullptr)
	{
		launcher->OnProjectileGone(kind);
	}
}

void Proj::Update()
{
	b2Vec2 v = fixture->GetBody()->GetLinearVelocity();
	const Agent* launcher = kind == KindMace ? owner.Get(*GameWorldInstance) : nullptr;
	if (launcher != nullptr)
	{
		v -= launcher->velocity;
	}
	if (v.Length() < MinSpeed)
	{
		flags |= DeadFlag;
	}
}

void Proj::OnPreSolve(b2Contact* contact, const b2Manifold*, b2Fixture*, b2Fixture* other)
{
	if (!contact->IsEnabled())
	{
		return;
	}
	// The bomb's fixture has no object: it counts as an object without
	// flags that nothing can be written into.
	GameObject* target = Owner(other);
	const int32_t targetFlags = FlagsOf(other);
	if (Has(PlayerShotFlag) && (targetFlags & (PlayerFlag | PlayerShotFlag)) != 0)
	{
		contact->SetEnabled(false);
	}
	if (Has(EnemyShotFlag) && (targetFlags & (EnemyFlag | EnemyShotFlag)) != 0)
	{
		contact->SetEnabled(false);
	}
	if (!contact->IsEnabled() || target == nullptr)
	{
		return;
	}
	target->flags |= HitFlag;
	const float strike = Has(SpentFlag) ? 0.0f : StrikeValue(kind);
	if (damage < strike)
	{
		target->damage = strike;
	}
	const int32_t targetKind = target->kind;
	if (targetKind == KindZombie || targetKind == KindKnight || targetKind == KindArcher)
	{
		flags |= SpentFlag;
	}
	if (targetKind == KindShield)
	{
		flags &= ~(SpentFlag | EnemyShotFlag);
		flags |= PlayerShotFlag;
		GameWorldInstance->PlaySound(GameSounds::Bounce);
	}
	if (target->Has(GroundFlag))
	{
		flags &= ~SpentFlag;
	}
}

float Proj::StrikeValue(int32_t kind)
{
	switch (kind)
	{
	case KindMace:
		return MaceStrike;
	case KindArrow:
		return ArrowStrike;
	case KindFireball:
		return FireballStrike;
	default:
		return 0.0f;
	}
}

b2Fixture* CreateProjectileBall(Proj* projectile, b2Vec2 position, b2Vec2 velocity, float density)
{
	b2BodyDef bodyDef;
	bodyDef.type = b2_dynamicBody;
	bodyDef.position = position;
	bodyDef.linearVelocity = velocity;
	bodyDef.allowSleep = false;
	bodyDef.awake = true;
	bodyDef.fixedRotation = true;
	b2Body* body = GameWorldInstance->world->CreateBody(&bodyDef);

	b2CircleShape circle;
	circle.m_radius = Proj::Radius;
	b2FixtureDef fixtureDef;
	fixtureDef.shape = &circle;
	fixtureDef.friction = 1.0f;
	fixtureDef.restitution = 0.0f;
	fixtureDef.density = density;
	fixtureDef.userData = projectile->UserData();
	projectile->fixture = body->CreateFixture(&fixtureDef);
	return projectile->fixture;
}
