#include "framework/core/WorldDigest.h"

#include <cstring>

void WorldDigest::Add(uint64_t value)
{
	for (int byte = 0; byte < 8; ++byte)
	{
		hash ^= (value >> (8 * byte)) & 0xFFu;
		hash *= Prime;
	}
}

void WorldDigest::Add(float value)
{
	uint32_t bits = 0;
	std::memcpy(&bits, &value, sizeof(bits));
	Add(static_cast<uint64_t>(bits));
}

void WorldDigest::Add(const b2World& world)
{
	Add(static_cast<uint64_t>(world.GetBodyCount()));
	for (const b2Body* body = world.GetBodyList(); body != nullptr; body = body->GetNext())
	{
		const b2Vec2& position = body->GetPosition();
		const b2Vec2& velocity = body->GetLinearVelocity();
		Add(position.x);
		Add(position.y);
		Add(body->GetAngle());
		Add(velocity.x);
		Add(velocity.y);
		Add(body->GetAngularVelocity());
	}
}
