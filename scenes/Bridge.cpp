#include "scenes/Bridge.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
constexpr float PlankHalfWidth = 0.5f;
constexpr float PlankHalfHeight = 0.125f;
constexpr float PlankDensity = 20.0f;
constexpr float PlankFriction = 0.2f;
constexpr float BridgeLeft = -15.0f;
constexpr float BridgeHeight = 5.0f;
constexpr int MiddleIndex = 15;
constexpr float LoadFriction = 0.2f;
constexpr float CircleRadius = 0.5f;
const b2Vec2 TrianglePositions[2] = {b2Vec2(-8.0f, 12.0f), b2Vec2(0.0f, 12.0f)};
const b2Vec2 CirclePositions[3] = {b2Vec2(-6.0f, 10.0f), b2Vec2(0.0f, 10.0f), b2Vec2(6.0f, 10.0f)};

// One dynamic body of shape at each of positions, dropped on the bridge.
template <int Count>
void DropLoads(b2World* world, const b2Shape& shape, const b2Vec2 (&positions)[Count])
{
	b2FixtureDef fd;
	fd.shape = &shape;
	fd.density = 1.0f;
	fd.friction = LoadFriction;
	for (const b2Vec2& position : positions)
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position = position;
		world->CreateBody(&bd)->CreateFixture(&fd);
	}
}
} // namespace

Bridge::Bridge()
	: middle(nullptr)
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	{
		b2PolygonShape plank;
		plank.SetAsBox(PlankHalfWidth, PlankHalfHeight);

		b2FixtureDef fd;
		fd.shape = &plank;
		fd.density = PlankDensity;
		fd.friction = PlankFriction;

		const std::vector<b2Body*> planks =
			CreateLinkRow(ground, fd, b2Vec2(BridgeLeft, BridgeHeight), 2.0f * PlankHalfWidth, PlankCount);
		middle = planks[MiddleIndex];

		b2RevoluteJointDef jd;
		jd.Initialize(planks.back(), ground, b2Vec2(BridgeLeft + PlankCount, BridgeHeight));
		world->CreateJoint(&jd);
	}

	const b2Vec2 vertices[3] = {b2Vec2(-0.5f, 0.0f), b2Vec2(0.5f, 0.0f), b2Vec2(0.0f, 1.5f)};
	b2PolygonShape triangle;
	triangle.Set(vertices, 3);
	DropLoads(world, triangle, TrianglePositions);

	b2CircleShape circle;
	circle.m_radius = CircleRadius;
	DropLoads(world, circle, CirclePositions);
}

Test* Bridge::Create()
{
	return new Bridge;
}
