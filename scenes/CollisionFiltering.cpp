#include "scenes/CollisionFiltering.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
constexpr float GroundFriction = 0.3f;
// Small shapes share a positive group (always collide with each other),
// large ones a negative group (never collide with each other).
constexpr int16 SmallGroup = 1;
constexpr int16 LargeGroup = -1;
constexpr uint16 GroundCategory = 0x0001;
constexpr uint16 TriangleCategory = 0x0002;
constexpr uint16 BoxCategory = 0x0004;
constexpr uint16 CircleCategory = 0x0008;
constexpr uint16 EverythingMask = 0xFFFF;
// Boxes ignore the triangles' category.
constexpr uint16 BoxMask = 0xFFFF ^ TriangleCategory;
constexpr float BoxRestitution = 0.1f;

b2Body* CreateDynamic(b2World* world, const b2Vec2& position, bool fixedRotation = false)
{
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = position;
	bd.fixedRotation = fixedRotation;
	return world->CreateBody(&bd);
}
} // namespace

CollisionFiltering::CollisionFiltering()
{
	{
		b2BodyDef bd;
		b2Body* ground = world->CreateBody(&bd);
		b2EdgeShape edge;
		edge.SetTwoSided(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

		b2FixtureDef fd;
		fd.shape = &edge;
		fd.friction = GroundFriction;
		fd.filter.categoryBits = GroundCategory;
		fd.filter.maskBits = EverythingMask;
		ground->CreateFixture(&fd);
	}

	b2FixtureDef fd;
	fd.density = 1.0f;

	// Triangles.
	b2Vec2 vertices[3] = {b2Vec2(-1.0f, 0.0f), b2Vec2(1.0f, 0.0f), b2Vec2(0.0f, 2.0f)};
	b2PolygonShape triangle;
	triangle.Set(vertices, 3);
	fd.shape = &triangle;
	fd.filter.groupIndex = SmallGroup;
	fd.filter.categoryBits = TriangleCategory;
	fd.filter.maskBits = EverythingMask;
	CreateDynamic(world, b2Vec2(-5.0f, 2.0f))->CreateFixture(&fd);

	for (b2Vec2& v : vertices)
	{
		v *= 2.0f;
	}
	triangle.Set(vertices, 3);
	fd.filter.groupIndex = LargeGroup;
	b2Body* largeTriangle = CreateDynamic(world, b2Vec2(-5.0f, 6.0f), true);
	largeTriangle->CreateFixture(&fd);

	{
		b2PolygonShape box;
		box.SetAsBox(0.5f, 1.0f);
		b2Body* slider = CreateDynamic(world, b2Vec2(-5.0f, 10.0f));
		slider->CreateFixture(&box, 1.0f);

		b2PrismaticJointDef jd;
		jd.bodyA = largeTriangle;
		jd.bodyB = slider;
		jd.enableLimit = true;
		jd.localAnchorA.Set(0.0f, 4.0f);
		jd.localAnchorB.SetZero();
		jd.localAxisA.Set(0.0f, 1.0f);
		jd.lowerTranslation = -1.0f;
		jd.upperTranslation = 1.0f;
		world->CreateJoint(&jd);
	}

	// Boxes.
	b2PolygonShape box;
	box.SetAsBox(1.0f, 0.5f);
	fd.shape = &box;
	fd.restitution = BoxRestitution;
	fd.filter.groupIndex = SmallGroup;
	fd.filter.categoryBits = BoxCategory;
	fd.filter.maskBits = BoxMask;
	CreateDynamic(world, b2Vec2(0.0f, 2.0f))->CreateFixture(&fd);

	box.SetAsBox(2.0f, 1.0f);
	fd.filter.groupIndex = LargeGroup;
	CreateDynamic(world, b2Vec2(0.0f, 6.0f))->CreateFixture(&fd);

	// Circles.
	b2CircleShape circle;
	circle.m_radius = 1.0f;
	fd.shape = &circle;
	fd.restitution = 0.0f;
	fd.filter.groupIndex = SmallGroup;
	fd.filter.categoryBits = CircleCategory;
	fd.filter.maskBits = EverythingMask;
	CreateDynamic(world, b2Vec2(5.0f, 2.0f))->CreateFixture(&fd);

	circle.m_radius = 2.0f;
	fd.filter.groupIndex = LargeGroup;
	CreateDynamic(world, b2Vec2(5.0f, 6.0f))->CreateFixture(&fd);
}

Test* CollisionFiltering::Create()
{
	return new CollisionFiltering;
}
