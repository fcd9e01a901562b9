#include "scenes/Dominos.h"

namespace
{
constexpr float GroundHalfWidth = 40.0f;
constexpr float DominoFriction = 0.1f;
constexpr float DominoDensity = 20.0f;
constexpr float HeavyDensity = 10.0f;
constexpr float LidDensity = 30.0f;
constexpr float BallRadius = 0.2f;
constexpr int BallCount = 4;

b2Body* CreateDynamicBox(b2World* world, const b2Vec2& position, float angle, float hx, float hy, float density)
{
	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = position;
	bd.angle = angle;
	b2Body* body = world->CreateBody(&bd);
	b2PolygonShape box;
	box.SetAsBox(hx, hy);
	body->CreateFixture(&box, density);
	return body;
}

void Pin(b2World* world, b2Body* a, b2Body* b, const b2Vec2& anchor)
{
	b2RevoluteJointDef jd;
	jd.Initialize(a, b, anchor);
	world->CreateJoint(&jd);
}
} // namespace

Dominos::Dominos()
	: firstDomino(nullptr)
{
	b2Body* ground = CreateEdgeGround(b2Vec2(-GroundHalfWidth, 0.0f), b2Vec2(GroundHalfWidth, 0.0f));

	CreateStaticBox(b2Vec2(-1.5f, 10.0f), 6.0f, 0.25f, 0.0f);

	{
		b2PolygonShape domino;
		domino.SetAsBox(0.1f, 1.0f);

		b2FixtureDef fd;
		fd.shape = &domino;
		fd.density = DominoDensity;
		fd.friction = DominoFriction;

		for (int i = 0; i < DominoCount; ++i)
		{
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position.Set(-6.0f + i, 11.25f);
			b2Body* body = world->CreateBody(&bd);
			body->CreateFixture(&fd);
			if (i == 0)
			{
				firstDomino = body;
			}
		}
	}

	CreateStaticBox(b2Vec2(1.0f, 6.0f), 7.0f, 0.25f, 0.3f);
	b2Body* post = CreateStaticBox(b2Vec2(-7.0f, 4.0f), 0.25f, 1.5f, 0.0f);

	b2Body* plank = CreateDynamicBox(world, b2Vec2(-0.9f, 1.0f), -0.15f, 6.0f, 0.125f, HeavyDensity);
	Pin(world, ground, plank, b2Vec2(-2.0f, 1.0f));

	b2Body* pendulum = CreateDynamicBox(world, b2Vec2(-10.0f, 15.0f), 0.0f, 0.25f, 0.25f, HeavyDensity);
	Pin(world, post, pendulum, b2Vec2(-7.0f, 15.0f));

	b2Body* openBox;
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(6.5f, 3.0f);
		openBox = world->CreateBody(&bd);

		b2PolygonShape wall;
		b2FixtureDef fd;
		fd.shape = &wall;
		fd.density = HeavyDensity;
		fd.friction = DominoFriction;

		wall.SetAsBox(1.0f, 0.1f, b2Vec2(0.0f, -0.9f), 0.0f);
		openBox->CreateFixture(&fd);
		wall.SetAsBox(0.1f, 1.0f, b2Vec2(-0.9f, 0.0f), 0.0f);
		openBox->CreateFixture(&fd);
		wall.SetAsBox(0.1f, 1.0f, b2Vec2(0.9f, 0.0f), 0.0f);
		openBox->CreateFixture(&fd);
	}
	Pin(world, ground, openBox, b2Vec2(6.0f, 2.0f));

	b2Body* lid = CreateDynamicBox(world, b2Vec2(6.5f, 4.1f), 0.0f, 1.0f, 0.1f, LidDensity);
	Pin(world, openBox, lid, b2Vec2(7.5f, 4.0f));

	b2Body* bar = CreateDynamicBox(world, b2Vec2(7.4f, 1.0f), 0.0f, 0.1f, 1.0f, HeavyDensity);
	{
		b2DistanceJointDef jd;
		jd.Initialize(plank, bar, plank->GetWorldPoint(b2Vec2(6.0f, 0.0f)), bar->GetWorldPoint(b2Vec2(0.0f, -1.0f)));
		world->CreateJoint(&jd);
	}

	{
		b2CircleShape ball;
		ball.m_radius = BallRadius;
		for (int i = 0; i < BallCount; ++i)
		{
			b2BodyDef bd;
			bd.type = b2_dynamicBody;
			bd.position.Set(5.9f + 0.4f * i, 2.4f);
			world->CreateBody(&bd)->CreateFixture(&ball, HeavyDensity);
		}
	}
}

Test* Dominos::Create()
{
	return new Dominos;
}
