#include "game/objects/Zombie.h"

#include <cstdlib>

#include "game/GameGlobals.h"
#include "game/objects/GameWorld.h"
#include "game/objects/Proj.h"
#include "game/objects/SightTree.h"

namespace
{
int32_t DrawPeriod()
{
	return Zombie::PeriodBase + rand() % Zombie::PeriodSpread;
}

// Counts a timer down; true when it has just run out.
bool RunOut(int32_t& timer)
{
	if (timer <= 0)
	{
		return false;
	}
	--timer;
	return timer == 0;
}
}

float Zombie::MyRayCastClosestCallback::ReportFixture(b2Fixture* fixture, const b2Vec2&, const b2Vec2&, float fraction)
{
	// A fixture without object (the bomb) blocks the view like any body.
	const int32_t kind = GameObject::KindOf(fixture);
	if (kind == KindZombie)
	{
		return -1.0f;
	}
	if (kind == KindShield)
	{
		shieldSeen = true;
		return -1.0f;
	}
	hit = true;
	this->fixture = fixture;
	return fraction;
}

Zombie::Zombie()
{
	flags |= EnemyFlag;
	kind = KindZombie;
	b2Body* body = fixture->GetBody();
	fixture->SetFriction(0.0f);
	body->ResetMassData();
	body->SetGravityScale(0.0f);
	laughTimer = DrawPeriod();
	orbitTimer = DrawPeriod();
}

void Zombie::Update()
{
	if (Has(DyingFlag))
	{
		FadeOut();
		return;
	}
	if (TakeHits())
	{
		return;
	}

	b2Body* body = fixture->GetBody();
	const b2Vec2 position = body->GetPosition();
	Agent* chased = ChooseTarget(position);
	target = chased;
	if (chased == nullptr)
	{
		// Nothing left to look at, chase or aim at.
		return;
	}

	MyRayCastClosestCallback ray;
	const bool inSight = Sees(ray);
	const b2Body& targetBody = *chased->fixture->GetBody();
	Charge(position, targetBody);
	if (inSight)
	{
		Pursue(ray, position, targetBody);
	}

	if (reverseCooldown > 0)
	{
		--reverseCooldown;
	}
}

void Zombie::FadeOut()
{
	health -= FadeRate;
	if (health <= 0.0f)
	{
		flags |= DeadFlag;
	}
}

bool Zombie::TakeHits()
{
	if (Has(HitFlag))
	{
		health -= damage;
		GameWorldInstance->PlaySound(GameSounds::EnemyHit);
		if (health <= 0.0f && !Has(DyingFlag))
		{
			GameWorldInstance->PlaySound(GameSounds::EnemyDeath);
			flags &= ~HitFlag;
			flags |= DyingFlag;
			++KillCount;
			health = 1.0f;
			return true;
		}
	}
	flags &= ~HitFlag;
	damage = 0.0f;
	return false;
}

void Zombie::Charge(b2Vec2 position, const b2Body& targetBody)
{
	if (charging)
	{
		charge += ChargeRate;
		if (charge >= 1.0f)
		{
			const b2Vec2 leadPoint = targetBody.GetPosition() + targetBody.GetLinearVelocity();
			Attack(leadPoint - position);
			charging = false;
			GameWorldInstance->PlaySound(GameSounds::Fireball);
		}
	}
	else if (charge > 0.0f)
	{
		charge -= ChargeDecay;
	}
}

void Zombie::Pursue(const MyRayCastClosestCallback& ray, b2Vec2 position, const b2Body& targetBody)
{
	if (RunOut(laughTimer))
	{
		GameWorldInstance->PlaySound(GameSounds::GhostFix);
		laughTimer = DrawPeriod();
	}
	if (RunOut(orbitTimer))
	{
		orbitLeft = !orbitLeft;
		orbitTimer = DrawPeriod();
	}
	if (charge <= 0.0f)
	{
		charging = true;
	}
	evading = ray.shieldSeen;
	if (!charging)
	{
		Steer(position, targetBody);
	}
}

void Zombie::Steer(b2Vec2 position, const b2Body& targetBody)
{
	b2Body* body = fixture->GetBody();
	b2Vec2 d = targetBody.GetPosition() - position;
	d.Normalize();
	if (evading)
	{
		d = orbitLeft ? b2Vec2(-d.y, d.x) : b2Vec2(d.y, -d.x);
	}
	b2Vec2 correction = SteerSpeed * d - body->GetLinearVelocity();
	if (correction.Length() > MaxCorrection)
	{
		correction *= MaxCorrection / correction.Length();
	}
	body->ApplyLinearImpulse(correction, b2Vec2(0.0f, 0.0f), true);
}

void Zombie::OnContact(b2Contact* contact, b2Fixture*, b2Fixture* other)
{
	if (!contact->IsEnabled() || (FlagsOf(other) & GroundFlag) == 0)
	{
		return;
	}
	if (evading && reverseCooldown <= 0)
	{
		reverseCooldown = ReverseCooldownFrames;
		orbitLeft = !orbitLeft;
	}
}

void Zombie::Attack(b2Vec2 offset)
{
	b2Body* body = fixture->GetBody();
	Proj* fireball = new Proj();
	CreateProjectileBall(fireball, body->GetPosition(), body->GetLinearVelocity() + FireballFactor * offset, FireballDensity);
	fireball->flags |= EnemyShotFlag;
	fireball->kind = KindFireball;
	GameWorldInstance->Add(fireball);
}

Agent* Zombie::ChooseTarget(b2Vec2 position) const
{
	Agent* a = targetA.Get(*GameWorldInstance);
	Agent* b = targetB.Get(*GameWorldInstance);
	if (a == nullptr || b == nullptr)
	{
		return a != nullptr ? a : b;
	}
	if (!a->Has(DyingFlag) && !b->Has(DyingFlag))
	{
		const float distanceA = b2Distance(position, a->fixture->GetBody()->GetPosition());
		const float distanceB = b2Distance(position, b->fixture->GetBody()->GetPosition());
		return distanceA <= distanceB ? a : b;
	}
	return b->Has(DyingFlag) ? a : b;
}

const Agent* Zombie::SightLine(b2Vec2& from, b2Vec2& to) const
{
	const Agent* seen = target.Get(*GameWorldInstance);
	if (seen == nullptr)
	{
		return nullptr;
	}
	from = fixture->GetBody()->GetPosition();
	to = seen->fixture->GetBody()->GetPosition();
	return b2DistanceSquared(from, to) > b2_epsilon * b2_epsilon ? seen : nullptr;
}

bool Zombie::CastSight(MyRayCastClosestCallback& ray) const
{
	b2Vec2 from;
	b2Vec2 to;
	const Agent* seen = SightLine(from, to);
	if (seen == nullptr)
	{
		return false;
	}
	GameWorldInstance->world->RayCast(&ray, from, to);
	return ray.hit && GameObject::Owner(ray.fixture) == seen;
}

bool Zombie::Sees(MyRayCastClosestCallback& ray)
{
	b2Vec2 from;
	b2Vec2 to;
	const SightTree* tree = SightTree::Of(GameWorldInstance->world);
	const Agent* seen = tree != nullptr ? SightLine(from, to) : nullptr;
	if (seen != nullptr && tree->Hides(from, to, *seen->fixture, hidingEdge))
	{
		return false;
	}
	return CastSight(ray);
}
