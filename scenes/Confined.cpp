#include "scenes/Confined.h"

#include "scenes/SceneRandom.h"

namespace
{
const b2Vec2 BoxLower(-10.0f, 0.0f);
const b2Vec2 BoxUpper(10.0f, 20.0f);
constexpr float CircleRadius = 0.5f;
constexpr float CircleDensity = 1.0f;
constexpr float CircleRestitution = 0.8f;
// New circles start inside the box, clear of the walls, drifting at up to
// this speed in either axis, so the walls have something to hold in.
constexpr float MaxStartSpeed = 5.0f;
} // namespace

Confined::Confined()
	: circleCount(0)
{
	world->SetGravity(b2Vec2(0.0f, 0.0f));

	b2BodyDef bd;
	b2Body* ground = world->CreateBody(&bd);
	const b2Vec2 corners[4] = {
		BoxLower,
		b2Vec2(BoxUpper.x, BoxLower.y),
		BoxUpper,
		b2Vec2(BoxLower.x, BoxUpper.y),
	};
	for (int i = 0; i < 4; ++i)
	{
		b2EdgeShape edge;
		edge.SetTwoSided(corners[i], corners[(i + 1) % 4]);
		ground->CreateFixture(&edge, 0.0f);
	}
}

Test* Confined::Create()
{
	return new Confined;
}

void Confined::CreateCircle()
{
	const float margin = 2.0f * CircleRadius;
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	const float x = RandomFloat(BoxLower.x + margin, BoxUpper.x - margin);
	const float y = RandomFloat(BoxLower.y + margin, BoxUpper.y - margin);
	bd.position.Set(x, y);
	b2Body* body = world->CreateBody(&bd);
	const float vx = RandomFloat(-MaxStartSpeed, MaxStartSpeed);
	const float vy = RandomFloat(-MaxStartSpeed, MaxStartSpeed);
	body->SetLinearVelocity(b2Vec2(vx, vy));

	b2CircleShape circle;
	circle.m_radius = CircleRadius;

	b2FixtureDef fd;
	fd.shape = &circle;
	fd.density = CircleDensity;
	fd.friction = 0.0f;
	fd.restitution = CircleRestitution;
	body->CreateFixture(&fd);
	++circleCount;
}

void Confined::Keyboard(unsigned char key)
{
	if (key == 'c')
	{
		CreateCircle();
	}
}

void Confined::Step(Settings* settings)
{
	Test::Step(settings);
	debugDraw.DrawString(5, textLine, "Press 'c' to create a circle.");
	textLine += TextLineStep;
}
