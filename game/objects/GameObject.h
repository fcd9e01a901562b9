#pragma once

#include <box2d/box2d.h>

#include <cstdint>

#include "game/objects/Object.h"

// What an object is; the drawing and several rules switch on it.
enum ObjectKind : int32_t
{
	KindGround = 0,
	KindKnight = 1,
	KindZombie = 2,
	KindMace = 3,
	KindFireball = 4,
	KindOther = 5,
	KindShield = 6,
	KindArrow = 7,
	KindArcher = 8,
};

// Bits of GameObject::flags.
enum ObjectFlag : int32_t
{
	DeadFlag = 0x001,
	GroundFlag = 0x004,
	PlayerFlag = 0x008,
	EnemyFlag = 0x010,
	PlayerShotFlag = 0x020,
	EnemyShotFlag = 0x040,
	DyingFlag = 0x080,
	HitFlag = 0x100,
	SpentFlag = 0x200,
};

// The name a GameWorld gives an object it registers: a slot and the slot's
// generation, which the world bumps when it deletes the object, so the name
// never comes to mean a later object in the same slot. The default names
// nothing.
struct ObjectId
{
	uint32_t slot = UINT32_MAX;
	uint32_t generation = 0;
};

// Anything that takes part in the arena: it owns one fixture (whose user data
// points back at it) and answers four hooks the game scene calls every frame.
class GameObject : public Object
{
public:
	// One frame of behaviour, before the physics step.
	virtual void Update();
	// Inside the physics step, for a touching contact; self is this object's
	// fixture. May disable the contact or change its friction.
	virtual void OnPreSolve(b2Contact* contact, const b2Manifold* oldManifold, b2Fixture* self, b2Fixture* other);
	// After the physics step, for every touching contact.
	virtual void OnContact(b2Contact* contact, b2Fixture* self, b2Fixture* other);
	// A projectile this object launched is being destroyed.
	virtual void OnProjectileGone(int kind);

	bool Has(int32_t flag) const { return (flags & flag) != 0; }

	// The object that owns a fixture, or null (the scene's bomb has none).
	static GameObject* Owner(b2Fixture* fixture);
	// Flags of a fixture's owner; 0 when it has none.
	static int32_t FlagsOf(b2Fixture* fixture);
	// Kind of a fixture's owner; -1 when it has none.
	static int32_t KindOf(b2Fixture* fixture);
	// Fixture user data that names this object.
	b2FixtureUserData UserData();
	// This object's name in the registry that holds it; the default until
	// GameWorld::Add.
	ObjectId Id() const { return id; }

	// Linear velocity the knight copies from its body every update; its mace
	// measures its own speed against it.
	b2Vec2 velocity{0.0f, 0.0f};
	int32_t kind = KindGround;
	int32_t flags = 0;
	// Damage dealt by projectiles since the last update.
	float damage = 0.0f;

private:
	friend class GameWorld;
	ObjectId id;
};
