#include "scenes/Gears.h"

namespace
{
constexpr float SmallRadius = 1.0f;
constexpr float LargeRadius = 2.0f;
constexpr float BoxHalfWidth = 0.5f;
constexpr float BoxHalfHeight = 5.0f;
constexpr float Density = 1.0f;
constexpr float RackLimit = 5.0f;

b2Body* MakeBody(b2World* world, b2BodyType type, const b2Vec2& position, const b2Shape& shape)
{
	b2BodyDef bd;
	bd.type = type;
	bd.position = position;
	b2Body* body = world->CreateBody(&bd);
	body->CreateFixture(&shape, Density);
	return body;
}
} // namespace

Gears::Gears()
{
	b2Body* ground = CreateEdgeGround(b2Vec2(50.0f, 0.0f), b2Vec2(-50.0f, 0.0f));

	b2CircleShape smallCircle;
	smallCircle.m_radius = SmallRadius;
	b2CircleShape largeCircle;
	largeCircle.m_radius = LargeRadius;
	b2PolygonShape box;
	box.SetAsBox(BoxHalfWidth, BoxHalfHeight);

	// A fixed small wheel geared to a large wheel that hangs from it on an arm.
	{
		b2Body* body1 = MakeBody(world, b2_staticBody, b2Vec2(10.0f, 9.0f), smallCircle);
		b2Body* body2 = MakeBody(world, b2_dynamicBody, b2Vec2(10.0f, 8.0f), box);
		b2Body* body3 = MakeBody(world, b2_dynamicBody, b2Vec2(10.0f, 6.0f), largeCircle);

		// A gear moves the second body of each of its joints, and the
		// library wants that body dynamic: the fixed wheel comes first.
		b2RevoluteJointDef jd1;
		jd1.Initialize(body1, body2, body1->GetPosition());
		b2Joint* armJoint1 = world->CreateJoint(&jd1);

		b2RevoluteJointDef jd2;
		jd2.Initialize(body2, body3, body3->GetPosition());
		b2Joint* armJoint2 = world->CreateJoint(&jd2);

		b2GearJointDef jd3;
		jd3.bodyA = body2;
		jd3.bodyB = body3;
		jd3.joint1 = armJoint1;
		jd3.joint2 = armJoint2;
		jd3.ratio = LargeRadius / SmallRadius;
		world->CreateJoint(&jd3);
	}

	// Two wheels and a rack, each on its own joint to the ground.
	{
		b2Body* body1 = MakeBody(world, b2_dynamicBody, b2Vec2(-3.0f, 12.0f), smallCircle);
		b2RevoluteJointDef jd1;
		jd1.Initialize(ground, body1, body1->GetPosition());
		joint1 = static_cast<b2RevoluteJoint*>(world->CreateJoint(&jd1));

		b2Body* body2 = MakeBody(world, b2_dynamicBody, b2Vec2(0.0f, 12.0f), largeCircle);
		b2RevoluteJointDef jd2;
		jd2.Initialize(ground, body2, body2->GetPosition());
		joint2 = static_cast<b2RevoluteJoint*>(world->CreateJoint(&jd2));

		b2Body* body3 = MakeBody(world, b2_dynamicBody, b2Vec2(2.5f, 12.0f), box);
		b2PrismaticJointDef jd3;
		jd3.Initialize(ground, body3, body3->GetPosition(), b2Vec2(0.0f, 1.0f));
		jd3.lowerTranslation = -RackLimit;
		jd3.upperTranslation = RackLimit;
		jd3.enableLimit = true;
		joint3 = static_cast<b2PrismaticJoint*>(world->CreateJoint(&jd3));

		b2GearJointDef jd4;
		jd4.bodyA = body1;
		jd4.bodyB = body2;
		jd4.joint1 = joint1;
		jd4.joint2 = joint2;
		jd4.ratio = LargeRadius / SmallRadius;
		joint4 = static_cast<b2GearJoint*>(world->CreateJoint(&jd4));

		b2GearJointDef jd5;
		jd5.bodyA = body2;
		jd5.bodyB = body3;
		jd5.joint1 = joint2;
		jd5.joint2 = joint3;
		jd5.ratio = -1.0f / LargeRadius;
		joint5 = static_cast<b2GearJoint*>(world->CreateJoint(&jd5));
	}
}

Test* Gears::Create()
{
	return new Gears;
}

void Gears::Step(Settings* settings)
{
	Test::Step(settings);

	float ratio = joint4->GetRatio();
	float value = joint1->GetJointAngle() + ratio * joint2->GetJointAngle();
	debugDraw.DrawString(5, textLine, "theta1 + %4.2f * theta2 = %4.2f", ratio, value);
	textLine += TextLineStep;

	ratio = joint5->GetRatio();
	value = joint2->GetJointAngle() + ratio * joint3->GetJointTranslation();
	debugDraw.DrawString(5, textLine, "theta2 + %4.2f * delta = %4.2f", ratio, value);
	textLine += TextLineStep;
}
