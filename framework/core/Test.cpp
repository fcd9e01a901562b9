#include "framework/core/Test.h"

#include <cstdlib>

namespace
{
constexpr float PickHalfSize = 0.001f;
constexpr float MouseForcePerKilogram = 1000.0f;
constexpr float MouseFrequencyHz = 5.0f;
constexpr float MouseDampingRatio = 0.7f;
constexpr float BombThrowFactor = 30.0f;
constexpr float BombRadius = 0.3f;
constexpr float BombDensity = 20.0f;
constexpr float RandomBombHeight = 30.0f;
constexpr float RandomBombHalfWidth = 15.0f;
constexpr float RandomBombSpeed = -150.0f;
constexpr float ContactNormalLength = 0.3f;

// Finds the first fixture of a dynamic body that contains the point.
class QueryCallback : public b2QueryCallback
{
public:
	explicit QueryCallback(const b2Vec2& point) : point(point), fixture(nullptr) {}

	bool ReportFixture(b2Fixture* candidate) override
	{
		b2Body* body = candidate->GetBody();
		if (body->GetType() == b2_dynamicBody && candidate->TestPoint(point))
		{
			fixture = candidate;
			return false;
		}
		return true;
	}

	b2Vec2 point;
	b2Fixture* fixture;
};

} // namespace

void DestructionListener::SayGoodbye(b2Joint* joint)
{
	if (test->mouseJoint == joint)
	{
		test->mouseJoint = nullptr;
	}
	else
	{
		test->JointDestroyed(joint);
	}
}

void DestructionListener::SayGoodbye(b2Fixture*)
{
}

Test::Test()
	: textLine(FirstTextLine),
	  pointCount(0),
	  world(new b2World(b2Vec2(0.0f, -10.0f))),
	  bomb(nullptr),
	  mouseJoint(nullptr),
	  bombSpawnPoint(0.0f, 0.0f),
	  bombSpawning(false),
	  mouseWorld(0.0f, 0.0f),
	  stepCount(0)
{
	destructionListener.test = this;
	world->SetDestructionListener(&destructionListener);
	world->SetContactListener(this);
	world->SetDebugDraw(&debugDraw);

	b2BodyDef bodyDef;
	groundBody = world->CreateBody(&bodyDef);
}

Test::~Test()
{
	delete world;
	world = nullptr;
}

b2Body* Test::CreateEdgeGround(const b2Vec2& from, const b2Vec2& to)
{
	b2BodyDef bd;
	b2Body* ground = world->CreateBody(&bd);
	b2EdgeShape edge;
	edge.SetTwoSided(from, to);
	ground->CreateFixture(&edge, 0.0f);
	return ground;
}

b2Body* Test::CreateStaticBox(const b2Vec2& position, float hx, float hy, float angle)
{
	b2BodyDef bd;
	bd.position = position;
	bd.angle = angle;
	b2Body* body = world->CreateBody(&bd);
	b2PolygonShape box;
	box.SetAsBox(hx, hy);
	body->CreateFixture(&box, 0.0f);
	return body;
}

std::vector<b2Body*> Test::CreateLinkRow(b2Body* anchor, const b2FixtureDef& link, const b2Vec2& left,
	float spacing, int count)
{
	std::vector<b2Body*> links;
	links.reserve(count);
	b2RevoluteJointDef jd;
	b2Body* previous = anchor;
	for (int i = 0; i < count; ++i)
	{
		b2BodyDef bd;
		bd.type = b2_dynamicBody;
		bd.position.Set(left.x + 0.5f * spacing + spacing * i, left.y);
		b2Body* body = world->CreateBody(&bd);
		body->CreateFixture(&link);

		jd.Initialize(previous, body, b2Vec2(left.x + spacing * i, left.y));
		world->CreateJoint(&jd);

		links.push_back(body);
		previous = body;
	}
	return links;
}

void Test::BeginContact(b2Contact*)
{
}

void Test::EndContact(b2Contact*)
{
}

void Test::PreSolve(b2Contact* contact, const b2Manifold* oldManifold)
{
	const b2Manifold* manifold = contact->GetManifold();
	if (manifold->pointCount == 0)
	{
		return;
	}

	b2PointState state1[b2_maxManifoldPoints];
	b2PointState state2[b2_maxManifoldPoints];
	b2GetPointStates(state1, state2, oldManifold, manifold);

	b2WorldManifold worldManifold;
	contact->GetWorldManifold(&worldManifold);

	for (int32 i = 0; i < manifold->pointCount && pointCount < MaxContactPoints; ++i)
	{
		ContactPoint& cp = points[pointCount];
		cp.fixtureA = contact->GetFixtureA();
		cp.fixtureB = contact->GetFixtureB();
		cp.position = worldManifold.points[i];
		cp.normal = worldManifold.normal;
		cp.state = state2[i];
		++pointCount;
	}
}

void Test::PostSolve(b2Contact*, const b2ContactImpulse*)
{
}

void Test::Step(Settings* settings)
{
	float timeStep = settings->hz > 0.0f ? 1.0f / settings->hz : 0.0f;

	if (settings->pause)
	{
		if (settings->singleStep)
		{
			settings->singleStep = 0;
		}
		else
		{
			timeStep = 0.0f;
		}
		debugDraw.DrawString(5, textLine, "****PAUSED****");
		textLine += TextLineStep;
	}

	uint32 flags = 0;
	flags += settings->drawShapes * b2Draw::e_shapeBit;
	flags += settings->drawJoints * b2Draw::e_jointBit;
	flags += settings->drawAABBs * b2Draw::e_aabbBit;
	flags += settings->drawPairs * b2Draw::e_pairBit;
	flags += settings->drawCOMs * b2Draw::e_centerOfMassBit;
	debugDraw.SetFlags(flags);

	world->SetWarmStarting(settings->enableWarmStarting > 0);
	world->SetContinuousPhysics(settings->enableContinuous > 0);
	world->SetSubStepping(settings->enableSubStepping > 0);

	pointCount = 0;

	world->Step(timeStep, settings->velocityIterations, settings->positionIterations);

	if (timeStep > 0.0f)
	{
		++stepCount;
	}
	profile.Add(world->GetProfile());

	if (drawWorld)
	{
		DrawStepOverlay(*settings, true);
	}
}

void Test::DrawStepOverlay(const Settings& settings, bool outlines)
{
	// Undrawn, the outlines would be walked for nothing; the lines still
	// tell their text.
	outlines = outlines && debugDraw.Draws();
	if (outlines)
	{
		world->DebugDraw();
	}
	if (settings.drawStats)
	{
		DrawStatistics();
	}
	if (settings.drawProfile)
	{
		DrawProfile();
	}
	if (outlines)
	{
		DrawContactPoints(settings);
	}
}

void Test::DrawStatistics()
{
	debugDraw.DrawString(5, textLine, "bodies/contacts/joints = %d/%d/%d", world->GetBodyCount(),
		world->GetContactCount(), world->GetJointCount());
	textLine += TextLineStep;

	debugDraw.DrawString(5, textLine, "proxies/height/balance/quality = %d/%d/%d/%g", world->GetProxyCount(),
		world->GetTreeHeight(), world->GetTreeBalance(), world->GetTreeQuality());
	textLine += TextLineStep;
}

void Test::DrawProfile()
{
	profile.Draw(debugDraw, world->GetProfile(), stepCount, &textLine, TextLineStep);
}

void Test::DrawContactPoints(const Settings& settings)
{
	const float addSize = 10.0f;
	const float persistSize = 5.0f;
	for (int32 i = 0; i < pointCount; ++i)
	{
		const ContactPoint& point = points[i];
		if (settings.drawContactPoints && point.state == b2_addState)
		{
			debugDraw.DrawPoint(point.position, addSize, b2Color(0.3f, 0.95f, 0.3f));
		}
		else if (settings.drawContactPoints && point.state == b2_persistState)
		{
			debugDraw.DrawPoint(point.position, persistSize, b2Color(0.3f, 0.3f, 0.95f));
		}

		// Normals show on their own too, so each switch changes the picture.
		if (settings.drawContactNormals == 1)
		{
			const b2Vec2 p1 = point.position;
			const b2Vec2 p2 = p1 + ContactNormalLength * point.normal;
			debugDraw.DrawSegment(p1, p2, b2Color(0.9f, 0.9f, 0.9f));
		}
	}
}

bool Test::IsPaused(const Settings& settings) const
{
	return settings.pause != 0;
}

void Test::SetPaused(Settings* settings, bool paused)
{
	settings->pause = paused ? 1 : 0;
}

void Test::StepOnce(Settings* settings)
{
	settings->singleStep = 1;
}

uint64_t Test::Digest() const
{
	WorldDigest digest;
	digest.Add(*world);
	digest.Add(static_cast<uint64_t>(stepCount));
	AddToDigest(&digest);
	return digest.Value();
}

void Test::AddToDigest(WorldDigest*) const
{
}

void Test::GetPanelItems(std::vector<PanelItem>*) const
{
}

void Test::SetPanelItem(const std::string&, float)
{
}

void Test::Keyboard(unsigned char)
{
}

void Test::KeyboardUp(unsigned char)
{
}

void Test::MouseDown(const b2Vec2& p)
{
	mouseWorld = p;
	if (mouseJoint != nullptr)
	{
		return;
	}

	const b2Vec2 d(PickHalfSize, PickHalfSize);
	b2AABB aabb;
	aabb.lowerBound = p - d;
	aabb.upperBound = p + d;

	QueryCallback callback(p);
	world->QueryAABB(&callback, aabb);
	if (callback.fixture == nullptr)
	{
		return;
	}

	b2Body* body = callback.fixture->GetBody();
	b2MouseJointDef md;
	md.bodyA = groundBody;
	md.bodyB = body;
	md.target = p;
	md.maxForce = MouseForcePerKilogram * body->GetMass();
	b2LinearStiffness(md.stiffness, md.damping, MouseFrequencyHz, MouseDampingRatio, md.bodyA, md.bodyB);
	mouseJoint = static_cast<b2MouseJoint*>(world->CreateJoint(&md));
	body->SetAwake(true);
}

void Test::MouseUp(const b2Vec2& p)
{
	if (mouseJoint != nullptr)
	{
		world->DestroyJoint(mouseJoint);
		mouseJoint = nullptr;
	}
	if (bombSpawning)
	{
		CompleteBombSpawn(p);
	}
}

void Test::JointDestroyed(b2Joint*)
{
}

void Test::ShiftMouseDown(const b2Vec2& p)
{
	mouseWorld = p;
	if (mouseJoint != nullptr)
	{
		return;
	}
	SpawnBomb(p);
}

void Test::MouseMove(const b2Vec2& p)
{
	mouseWorld = p;
	if (mouseJoint != nullptr)
	{
		mouseJoint->SetTarget(p);
	}
}

void Test::SpawnBomb(const b2Vec2& worldPt)
{
	bombSpawnPoint = worldPt;
	bombSpawning = true;
}

void Test::CompleteBombSpawn(const b2Vec2& p)
{
	if (!bombSpawning)
	{
		return;
	}
	const b2Vec2 velocity = BombThrowFactor * (bombSpawnPoint - p);
	LaunchBomb(bombSpawnPoint, velocity);
	bombSpawning = false;
}

void Test::LaunchBomb()
{
	const float r = static_cast<float>(rand() & 0x7FFF) / 32767.0f;
	const float x = 2.0f * RandomBombHalfWidth * r - RandomBombHalfWidth;
	const b2Vec2 position(x, RandomBombHeight);
	const b2Vec2 velocity(-5.0f * x, RandomBombSpeed);
	LaunchBomb(position, velocity);
}

void Test::LaunchBomb(const b2Vec2& position, const b2Vec2& velocity)
{
	if (bomb != nullptr)
	{
		world->DestroyBody(bomb);
		bomb = nullptr;
	}

	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position = position;
	bd.bullet = true;
	bomb = world->CreateBody(&bd);
	bomb->SetLinearVelocity(velocity);

	b2CircleShape circle;
	circle.m_radius = BombRadius;

	b2FixtureDef fd;
	fd.shape = &circle;
	fd.density = BombDensity;
	fd.restitution = 0.0f;
	bomb->CreateFixture(&fd);
}
