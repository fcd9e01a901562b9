#pragma once

#include <box2d/box2d.h>

#include <cstdint>

#include "game/objects/Agent.h"
#include "game/objects/Handle.h"

// The floating enemy: chases the nearer living fighter it can see, circles
// a raised shield, charges and throws fireballs that lead the target, and
// fades out when its health is gone.
class Zombie : public Agent
{
public:
	// Sight ray: the closest fixture that blocks the view. Zombies and
	// shields do not block it, but a shield on the ray is noted.
	class MyRayCastClosestCallback : public b2RayCastCallback
	{
	public:
		float ReportFixture(b2Fixture* fixture, const b2Vec2& point, const b2Vec2& normal, float fraction) override;

		bool hit = false;
		bool shieldSeen = false;
		b2Fixture* fixture = nullptr;
	};

	Zombie();

	void Update() override;
	// Grazing the ground while circling a shield turns the orbit back.
	void OnContact(b2Contact* contact, b2Fixture* self, b2Fixture* other) override;
	// Launches one fireball with velocity 90 times offset on top of the
	// zombie's own.
	void Attack(b2Vec2 offset);
	// Casts the sight ray to target through the world into ray; true when
	// target lives and is what the ray meets first.
	bool CastSight(MyRayCastClosestCallback& ray) const;
	// The same answer as CastSight, but the cast is spared where the ground
	// alone hides the target; ray is filled only when the cast runs, which
	// it always does when the answer is true.
	bool Sees(MyRayCastClosestCallback& ray);

	static constexpr float ChargeRate = 0.05f;
	static constexpr float ChargeDecay = 0.01f;
	static constexpr float FireballFactor = 90.0f;
	static constexpr float FireballDensity = 1.0f;
	static constexpr float SteerSpeed = 16.0f;
	static constexpr float MaxCorrection = 10.0f;
	static constexpr float FadeRate = 0.05f;
	static constexpr int32_t PeriodBase = 480;
	static constexpr int32_t PeriodSpread = 120;
	static constexpr int32_t ReverseCooldownFrames = 10;

	int32_t laughTimer = 0;
	int32_t orbitTimer = 0;
	int32_t reverseCooldown = 0;
	bool evading = false;
	bool orbitLeft = false;
	// Hit points; after defeat the fading opacity.
	float health = 1.0f;
	bool charging = false;
	float charge = 0.0f;
	// The two fighters it may chase. One that is gone (deleted) counts as
	// down; with both gone the zombie has no target and only drifts.
	Handle<Agent> targetA;
	Handle<Agent> targetB;
	// The fighter chased in this frame; empty when there is none.
	Handle<Agent> target;
	// The ground edge that last hid the target, tried first next time.
	int32_t hidingEdge = -1;

private:
	// Defeated: fades, and is dead once its health has run out.
	void FadeOut();
	// The frame's hits take their damage; true when they just defeated it.
	bool TakeHits();
	// Charges up while charging and throws a fireball at where the target
	// will be in a second once charged; otherwise the charge ebbs.
	void Charge(b2Vec2 position, const b2Body& targetBody);
	// The target in sight: laughs and turns its orbit now and then, starts
	// charging once the last charge has ebbed, and otherwise steers in.
	void Pursue(const MyRayCastClosestCallback& ray, b2Vec2 position, const b2Body& targetBody);
	// Towards the target, or round it while a raised shield is in the way.
	void Steer(b2Vec2 position, const b2Body& targetBody);
	// The nearer of two fighters that are not down, else the one that is
	// not down, else targetA; a gone fighter counts as more down than a
	// dying one. Null when both are gone.
	Agent* ChooseTarget(b2Vec2 position) const;
	// The sight ray's ends and the target it looks at; null when there is
	// no target or the ray has no length, and so no direction to search
	// along.
	const Agent* SightLine(b2Vec2& from, b2Vec2& to) const;
};
