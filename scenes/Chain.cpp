#include "scenes/Chain.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
constexpr float LinkHalfWidth = 0.6f;
constexpr float LinkHalfHeight = 0.125f;
constexpr float LinkDensity = 20.0f;
constexpr float LinkFriction = 0.2f;
constexpr float ChainHeight = 25.0f;
} // namespace

Chain::Chain()
	: lastLink(nullptr)
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	b2PolygonShape link;
	link.SetAsBox(LinkHalfWidth, LinkHalfHeight);

	b2FixtureDef fd;
	fd.shape = &link;
	fd.density = LinkDensity;
	fd.friction = LinkFriction;

	b2RevoluteJointDef jd;
	jd.collideConnected = false;

	b2Body* previous = ground;
	for (int i = 0; i < LinkCount; ++i)
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(0.5f + i, ChainHeight);
		b2Body* body = world->CreateBody(&bd);
		body->CreateFixture(&fd);

		jd.Initialize(previous, body, b2Vec2(static_cast<float>(i), ChainHeight));
		world->CreateJoint(&jd);
		previous = body;
	}
	lastLink = previous;
}

Test* Chain::Create()
{
	return new Chain;
}
