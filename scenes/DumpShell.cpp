#include "scenes/DumpShell.h"

#include <memory>

namespace
{
constexpr int BodyCount = 3;
constexpr int JointCount = 2;
constexpr float Damping = 0.5f;
constexpr float PartFriction = 1.0f;
constexpr float PartRestitution = 0.5f;
constexpr float PartDensity = 10.0f;
constexpr float WallFriction = 10.0f;
constexpr float ShellWidth = 44.52174f;
constexpr float ShellHeight = 16.695652f;

b2Body* MakePart(b2World* world, const b2Vec2& position, const b2Vec2 (&vertices)[4])
{
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = position;
	bd.linearDamping = Damping;
	bd.angularDamping = Damping;
	b2Body* body = world->CreateBody(&bd);

	b2PolygonShape shape;
	shape.Set(vertices, 4);

	b2FixtureDef fd;
	fd.shape = &shape;
	fd.friction = PartFriction;
	fd.restitution = PartRestitution;
	fd.density = PartDensity;
	body->CreateFixture(&fd);
	return body;
}
} // namespace

DumpShell::DumpShell()
{
	world->SetGravity(b2Vec2(0.0f, 0.0f));

	// The arrays only live while the scene is put together, as in a loader.
	std::unique_ptr<b2Body*[]> bodies(new b2Body*[BodyCount]);
	std::unique_ptr<b2Joint*[]> joints(new b2Joint*[JointCount]);

	{
		const b2Vec2 vertices[4] = {
			b2Vec2(-6.9f, -0.3f), b2Vec2(0.2f, -0.3f), b2Vec2(0.2f, 0.2f), b2Vec2(-6.9f, 0.2f)};
		bodies[0] = MakePart(world, b2Vec2(13.043478f, 2.5f), vertices);
	}
	{
		const b2Vec2 vertices[4] = {
			b2Vec2(-0.3228f, -0.2957f), b2Vec2(6.8859f, -0.3641f), b2Vec2(6.9076f, 0.3272f),
			b2Vec2(-0.3228f, 0.2826f)};
		bodies[1] = MakePart(world, b2Vec2(0.847826f, 2.5f), vertices);
	}
	{
		b2BodyDef bd;
		bodies[2] = world->CreateBody(&bd);

		const b2Vec2 edges[4][2] = {
			{b2Vec2(ShellWidth, ShellHeight), b2Vec2(ShellWidth, 0.0f)},
			{b2Vec2(0.0f, ShellHeight), b2Vec2(0.0f, 0.0f)},
			{b2Vec2(0.0f, ShellHeight), b2Vec2(ShellWidth, ShellHeight)},
			{b2Vec2(0.0f, 0.0f), b2Vec2(ShellWidth, 0.0f)},
		};
		for (const auto& edge : edges)
		{
			b2EdgeShape shape;
			shape.SetTwoSided(edge[0], edge[1]);

			b2FixtureDef fd;
			fd.shape = &shape;
			fd.friction = WallFriction;
			bodies[2]->CreateFixture(&fd);
		}
	}

	{
		b2PrismaticJointDef jd;
		jd.bodyA = bodies[1];
		jd.bodyB = bodies[0];
		jd.localAnchorA.Set(0.0f, 0.0f);
		jd.localAnchorB.Set(-12.195652f, 0.0f);
		jd.localAxisA.Set(-12.195652f, 0.0f);
		jd.localAxisA.Normalize();
		jd.enableLimit = true;
		jd.lowerTranslation = -20.0f;
		jd.upperTranslation = 0.0f;
		jd.enableMotor = true;
		jd.maxMotorForce = 10.0f;
		jd.motorSpeed = 0.0f;
		joints[0] = world->CreateJoint(&jd);
	}
	{
		b2RevoluteJointDef jd;
		jd.bodyA = bodies[1];
		jd.bodyB = bodies[2];
		jd.localAnchorA.Set(0.0f, 0.0f);
		jd.localAnchorB.Set(0.847826f, 2.5f);
		jd.enableLimit = false;
		jd.enableMotor = false;
		joints[1] = world->CreateJoint(&jd);
	}
}

Test* DumpShell::Create()
{
	return new DumpShell;
}
