#include "scenes/Chain.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
constexpr float LinkHalfWidth = 0.6f;
constexpr float LinkHalfHeight = 0.125f;
constexpr float LinkDensity = 20.0f;
constexpr float LinkFriction = 0.2f;
constexpr float LinkSpacing = 1.0f;
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

	// Links a unit apart but longer than that, so neighbours overlap.
	lastLink = CreateLinkRow(ground, fd, b2Vec2(0.0f, ChainHeight), LinkSpacing, LinkCount).back();
}

Test* Chain::Create()
{
	return new Chain;
}
