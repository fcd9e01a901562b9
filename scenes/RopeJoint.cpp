#include "scenes/RopeJoint.h"

namespace
{
constexpr int LinkCount = 10;
constexpr float ChainY = 15.0f;
constexpr float LinkDensity = 20.0f;
constexpr float LinkFriction = 0.2f;
constexpr uint16 LinkCategory = 0x0001;
constexpr uint16 LinkMask = 0xFFFF & ~0x0002;
constexpr float WeightHalfSize = 1.5f;
constexpr float WeightDensity = 100.0f;
constexpr uint16 WeightCategory = 0x0002;
constexpr float WeightAngularDamping = 0.4f;
constexpr float RopeSlack = 0.01f;
} // namespace

RopeJoint::RopeJoint()
	: rope(nullptr), weight(nullptr)
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	{
		b2PolygonShape link;
		link.SetAsBox(0.5f, 0.125f);

		b2FixtureDef fd;
		fd.shape = &link;
		fd.density = LinkDensity;
		fd.friction = LinkFriction;
		fd.filter.categoryBits = LinkCategory;
		fd.filter.maskBits = LinkMask;

		b2PolygonShape box;
		box.SetAsBox(WeightHalfSize, WeightHalfSize);

		b2FixtureDef weightFd;
		weightFd.shape = &box;
		weightFd.density = WeightDensity;
		weightFd.filter.categoryBits = WeightCategory;

		b2Body* prevBody = ground;
		for (int i = 0; i < LinkCount; ++i)
		{
			const bool last = i == LinkCount - 1;

			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			if (last)
			{
				bd.position.Set(static_cast<float>(i), ChainY);
				bd.angularDamping = WeightAngularDamping;
			}
			else
			{
				bd.position.Set(0.5f + i, ChainY);
			}
			b2Body* body = world->CreateBody(&bd);
			body->CreateFixture(last ? &weightFd : &fd);

			b2RevoluteJointDef jd;
			jd.Initialize(prevBody, body, b2Vec2(static_cast<float>(i), ChainY));
			world->CreateJoint(&jd);

			prevBody = body;
		}
		weight = prevBody;
	}

	// Only the upper limit of a distance joint acts when its minimum is 0
	// and it has no spring: a rope.
	const float ropeLength = LinkCount - 1 + RopeSlack;
	ropeDef.bodyA = ground;
	ropeDef.bodyB = weight;
	ropeDef.localAnchorA.Set(0.0f, ChainY);
	ropeDef.localAnchorB.SetZero();
	ropeDef.length = ropeLength;
	ropeDef.minLength = 0.0f;
	ropeDef.maxLength = ropeLength;
	ropeDef.stiffness = 0.0f;
	ropeDef.damping = 0.0f;
	rope = world->CreateJoint(&ropeDef);
}

Test* RopeJoint::Create()
{
	return new RopeJoint;
}

void RopeJoint::Keyboard(unsigned char key)
{
	if (key != 'j')
	{
		return;
	}

	if (rope != nullptr)
	{
		world->DestroyJoint(rope);
		rope = nullptr;
	}
	else
	{
		rope = world->CreateJoint(&ropeDef);
	}
}

void RopeJoint::Step(Settings* settings)
{
	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Press (j) to toggle the rope joint.");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, rope != nullptr ? "Rope ON" : "Rope OFF");
	textLine += TextLineStep;
}
