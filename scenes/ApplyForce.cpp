#include "scenes/ApplyForce.h"

#include <cmath>

#include "scenes/TwinTriangles.h"

namespace
{
constexpr float ArenaHalfSize = 20.0f;
constexpr float WallRestitution = 0.4f;
constexpr float ShipLinearDamping = 0.1f;
constexpr float ShipAngularDamping = 5.0f;
constexpr float WingAngle = 1.1071f;
constexpr float HeavyWingDensity = 4.0f;
constexpr float LightWingDensity = 2.0f;
constexpr float Torque = 50.0f;
const b2Vec2 Thrust(0.0f, -200.0f);
const b2Vec2 ThrustPoint(0.0f, 2.0f);
constexpr int BoxCount = 10;
constexpr float BoxFriction = 0.3f;
constexpr float TableGravity = 10.0f;
} // namespace

ApplyForce::ApplyForce()
{
	world->SetGravity(b2Vec2(0.0f, 0.0f));

	b2Body* ground = nullptr;
	{
		b2BodyDef bd;
		bd.position.Set(0.0f, 20.0f);
		ground = world->CreateBody(&bd);

		b2EdgeShape shape;
		b2FixtureDef fd;
		fd.shape = &shape;
		fd.density = 0.0f;
		fd.restitution = WallRestitution;

		const float h = ArenaHalfSize;
		shape.SetTwoSided(b2Vec2(-h, -h), b2Vec2(-h, h));
		ground->CreateFixture(&fd);
		shape.SetTwoSided(b2Vec2(h, -h), b2Vec2(h, h));
		ground->CreateFixture(&fd);
		shape.SetTwoSided(b2Vec2(-h, h), b2Vec2(h, h));
		ground->CreateFixture(&fd);
		shape.SetTwoSided(b2Vec2(-h, -h), b2Vec2(h, -h));
		ground->CreateFixture(&fd);
	}

	{
		const TwinTriangles triangles(WingAngle);

		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.linearDamping = ShipLinearDamping;
		bd.angularDamping = ShipAngularDamping;
		bd.position.Set(0.0f, 2.0f);
		bd.angle = b2_pi;
		bd.allowSleep = false;
		body = world->CreateBody(&bd);
		body->CreateFixture(&triangles.first, HeavyWingDensity);
		body->CreateFixture(&triangles.second, LightWingDensity);
	}

	{
		b2PolygonShape shape;
		shape.SetAsBox(0.5f, 0.5f);

		b2FixtureDef fd;
		fd.shape = &shape;
		fd.density = 1.0f;
		fd.friction = BoxFriction;

		for (int i = 0; i < BoxCount; ++i)
		{
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position.Set(0.0f, 5.0f + 1.54f * i);
			b2Body* box = world->CreateBody(&bd);
			box->CreateFixture(&fd);

			// Friction as the table under the box would give it.
			const float mass = box->GetMass();
			const float radius = sqrtf(2.0f * box->GetInertia() / mass);

			b2FrictionJointDef jd;
			jd.localAnchorA.SetZero();
			jd.localAnchorB.SetZero();
			jd.bodyA = ground;
			jd.bodyB = box;
			jd.collideConnected = true;
			jd.maxForce = TableGravity * mass;
			jd.maxTorque = TableGravity * mass * radius;
			world->CreateJoint(&jd);
		}
	}
}

Test* ApplyForce::Create()
{
	return new ApplyForce;
}

void ApplyForce::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'w':
	{
		const b2Vec2 force = body->GetWorldVector(Thrust);
		const b2Vec2 point = body->GetWorldPoint(ThrustPoint);
		body->ApplyForce(force, point, true);
		break;
	}

	case 'a':
		body->ApplyTorque(Torque, true);
		break;

	case 'd':
		body->ApplyTorque(-Torque, true);
		break;

	default:
		break;
	}
}
