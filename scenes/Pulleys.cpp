#include "scenes/Pulleys.h"

namespace
{
constexpr float WheelRadius = 2.0f;
constexpr float BoxHalfWidth = 1.0f;
constexpr float BoxHalfHeight = 2.0f;
constexpr float BoxDensity = 5.0f;
constexpr float Ratio = 1.5f;
constexpr float PulleyX = 10.0f;
constexpr float PulleyY = 30.0f;
constexpr float BoxY = 16.0f;
} // namespace

Pulleys::Pulleys()
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	{
		b2CircleShape circle;
		circle.m_radius = WheelRadius;
		circle.m_p.Set(-PulleyX, PulleyY);
		ground->CreateFixture(&circle, 0.0f);
		circle.m_p.Set(PulleyX, PulleyY);
		ground->CreateFixture(&circle, 0.0f);
	}

	b2PolygonShape shape;
	shape.SetAsBox(BoxHalfWidth, BoxHalfHeight);

	b2BodyDef bd;
	bd.type = b2_dynamicBody;

	bd.position.Set(-PulleyX, BoxY);
	b2Body* body1 = world->CreateBody(&bd);
	body1->CreateFixture(&shape, BoxDensity);

	bd.position.Set(PulleyX, BoxY);
	b2Body* body2 = world->CreateBody(&bd);
	body2->CreateFixture(&shape, BoxDensity);

	const b2Vec2 anchor1(-PulleyX, BoxY + BoxHalfHeight);
	const b2Vec2 anchor2(PulleyX, BoxY + BoxHalfHeight);
	const b2Vec2 groundAnchor1(-PulleyX, PulleyY);
	const b2Vec2 groundAnchor2(PulleyX, PulleyY);

	b2PulleyJointDef pjd;
	pjd.Initialize(body1, body2, groundAnchor1, groundAnchor2, anchor1, anchor2, Ratio);
	joint = static_cast<b2PulleyJoint*>(world->CreateJoint(&pjd));
}

Test* Pulleys::Create()
{
	return new Pulleys;
}

void Pulleys::Step(Settings* settings)
{
	Test::Step(settings);

	const float ratio = joint->GetRatio();
	const float length = joint->GetCurrentLengthA() + ratio * joint->GetCurrentLengthB();
	debugDraw.DrawString(5, textLine, "L1 + %4.2f * L2 = %4.2f", ratio, length);
	textLine += TextLineStep;
}
