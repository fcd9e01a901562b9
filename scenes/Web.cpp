#include "scenes/Web.h"

namespace
{
constexpr float BoxHalfSize = 0.5f;
constexpr float BoxDensity = 5.0f;
constexpr float FrequencyHz = 4.0f;
constexpr float DampingRatio = 0.5f;
// A spring needs room on both sides of its rest length.
constexpr float MinLengthFactor = 0.5f;
constexpr float MaxLengthFactor = 2.0f;
} // namespace

Web::Web()
	: bodies{}, joints{}
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	{
		b2PolygonShape shape;
		shape.SetAsBox(BoxHalfSize, BoxHalfSize);

		const b2Vec2 positions[BodyCount] = {
			b2Vec2(-5.0f, 5.0f), b2Vec2(5.0f, 5.0f), b2Vec2(5.0f, 15.0f), b2Vec2(-5.0f, 15.0f)};
		for (int i = 0; i < BodyCount; ++i)
		{
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position = positions[i];
			bodies[i] = world->CreateBody(&bd);
			bodies[i]->CreateFixture(&shape, BoxDensity);
		}
	}

	struct Link
	{
		b2Body* bodyA;
		b2Body* bodyB;
		b2Vec2 localA;
		b2Vec2 localB;
	};
	const float h = BoxHalfSize;
	const Link links[JointCount] = {
		{ground, bodies[0], b2Vec2(-10.0f, 0.0f), b2Vec2(-h, -h)},
		{ground, bodies[1], b2Vec2(10.0f, 0.0f), b2Vec2(h, -h)},
		{ground, bodies[2], b2Vec2(10.0f, 20.0f), b2Vec2(h, h)},
		{ground, bodies[3], b2Vec2(-10.0f, 20.0f), b2Vec2(-h, h)},
		{bodies[0], bodies[1], b2Vec2(h, 0.0f), b2Vec2(-h, 0.0f)},
		{bodies[1], bodies[2], b2Vec2(0.0f, h), b2Vec2(0.0f, -h)},
		{bodies[2], bodies[3], b2Vec2(-h, 0.0f), b2Vec2(h, 0.0f)},
		{bodies[3], bodies[0], b2Vec2(0.0f, -h), b2Vec2(0.0f, h)},
	};

	for (int i = 0; i < JointCount; ++i)
	{
		const Link& link = links[i];
		b2DistanceJointDef jd;
		jd.bodyA = link.bodyA;
		jd.bodyB = link.bodyB;
		jd.localAnchorA = link.localA;
		jd.localAnchorB = link.localB;
		const b2Vec2 d = link.bodyB->GetWorldPoint(link.localB) - link.bodyA->GetWorldPoint(link.localA);
		jd.length = d.Length();
		jd.minLength = MinLengthFactor * jd.length;
		jd.maxLength = MaxLengthFactor * jd.length;
		b2LinearStiffness(jd.stiffness, jd.damping, FrequencyHz, DampingRatio, jd.bodyA, jd.bodyB);
		joints[i] = world->CreateJoint(&jd);
	}
}

Test* Web::Create()
{
	return new Web;
}

void Web::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'b':
		for (b2Body*& body : bodies)
		{
			if (body != nullptr)
			{
				// The world tells JointDestroyed about every joint on it.
				world->DestroyBody(body);
				body = nullptr;
				break;
			}
		}
		break;

	case 'j':
		for (b2Joint*& joint : joints)
		{
			if (joint != nullptr)
			{
				world->DestroyJoint(joint);
				joint = nullptr;
				break;
			}
		}
		break;

	default:
		break;
	}
}

void Web::JointDestroyed(b2Joint* joint)
{
	for (b2Joint*& slot : joints)
	{
		if (slot == joint)
		{
			slot = nullptr;
			break;
		}
	}
}

void Web::Step(Settings* settings)
{
	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "This demonstrates a soft distance joint.");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, "Press: (b) to delete a body, (j) to delete a joint");
	textLine += TextLineStep;
}
