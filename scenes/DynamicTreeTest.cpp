#include "scenes/DynamicTreeTest.h"

#include <cstdlib>

#include "scenes/SceneRandom.h"

namespace
{
// The boxes live in a square around the camera's start centre.
const b2Vec2 FieldCenter(0.0f, 20.0f);
constexpr float FieldExtent = 15.0f;
constexpr float MinBoxSize = 0.5f;
constexpr float MaxBoxSize = 2.0f;
constexpr float MaxMove = 0.5f;
const b2Vec2 QueryLower(-3.0f, 16.0f);
const b2Vec2 QueryUpper(5.0f, 26.0f);
// Tries to find an actor in the wanted state before giving up.
constexpr int PickAttempts = DynamicTreeTest::ActorCount;
const b2Color BoxColor(0.9f, 0.9f, 0.9f);
const b2Color OverlapColor(0.9f, 0.3f, 0.3f);
const b2Color QueryColor(0.4f, 0.6f, 1.0f);
} // namespace

DynamicTreeTest::DynamicTreeTest()
	: automated(false), queryHits(0)
{
	queryBox.lowerBound = QueryLower;
	queryBox.upperBound = QueryUpper;

	for (Actor& actor : actors)
	{
		actor.aabb = RandomBox();
		actor.overlap = false;
		actor.proxyId = tree.CreateProxy(actor.aabb, &actor);
	}
}

Test* DynamicTreeTest::Create()
{
	return new DynamicTreeTest;
}

b2AABB DynamicTreeTest::RandomBox() const
{
	const b2Vec2 size(RandomFloat(MinBoxSize, MaxBoxSize), RandomFloat(MinBoxSize, MaxBoxSize));
	b2AABB aabb;
	aabb.lowerBound.x = RandomFloat(FieldCenter.x - FieldExtent, FieldCenter.x + FieldExtent - size.x);
	aabb.lowerBound.y = RandomFloat(FieldCenter.y - FieldExtent, FieldCenter.y + FieldExtent - size.y);
	aabb.upperBound = aabb.lowerBound + size;
	return aabb;
}

void DynamicTreeTest::MoveBox(b2AABB* aabb) const
{
	b2Vec2 d(RandomFloat(-MaxMove, MaxMove), RandomFloat(-MaxMove, MaxMove));

	// Keep the box inside the field.
	const b2Vec2 size = aabb->upperBound - aabb->lowerBound;
	b2Vec2 lower = aabb->lowerBound + d;
	const b2Vec2 fieldLower = FieldCenter - b2Vec2(FieldExtent, FieldExtent);
	const b2Vec2 fieldUpper = FieldCenter + b2Vec2(FieldExtent, FieldExtent) - size;
	lower = b2Clamp(lower, fieldLower, fieldUpper);

	aabb->lowerBound = lower;
	aabb->upperBound = lower + size;
}

void DynamicTreeTest::CreateProxy()
{
	for (int i = 0; i < PickAttempts; ++i)
	{
		Actor& actor = actors[std::rand() % ActorCount];
		if (actor.proxyId == b2_nullNode)
		{
			actor.aabb = RandomBox();
			actor.proxyId = tree.CreateProxy(actor.aabb, &actor);
			return;
		}
	}
}

void DynamicTreeTest::DestroyProxy()
{
	for (int i = 0; i < PickAttempts; ++i)
	{
		Actor& actor = actors[std::rand() % ActorCount];
		if (actor.proxyId != b2_nullNode)
		{
			tree.DestroyProxy(actor.proxyId);
			actor.proxyId = b2_nullNode;
			return;
		}
	}
}

void DynamicTreeTest::MoveProxy()
{
	for (int i = 0; i < PickAttempts; ++i)
	{
		Actor& actor = actors[std::rand() % ActorCount];
		if (actor.proxyId != b2_nullNode)
		{
			const b2AABB old = actor.aabb;
			MoveBox(&actor.aabb);
			const b2Vec2 displacement = actor.aabb.GetCenter() - old.GetCenter();
			tree.MoveProxy(actor.proxyId, actor.aabb, displacement);
			return;
		}
	}
}

void DynamicTreeTest::Action()
{
	// Mostly moves, with the odd birth and death, so the population stays
	// near full while the tree keeps rebalancing.
	switch (std::rand() % 20)
	{
	case 0:
		CreateProxy();
		break;
	case 1:
		DestroyProxy();
		break;
	default:
		MoveProxy();
		break;
	}
}

bool DynamicTreeTest::QueryCallback(int32 proxyId)
{
	Actor* actor = static_cast<Actor*>(tree.GetUserData(proxyId));
	actor->overlap = b2TestOverlap(queryBox, actor->aabb);
	if (actor->overlap)
	{
		++queryHits;
	}
	return true;
}

void DynamicTreeTest::Query()
{
	for (Actor& actor : actors)
	{
		actor.overlap = false;
	}
	queryHits = 0;
	tree.Query(this, queryBox);
}

void DynamicTreeTest::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'a':
		automated = !automated;
		break;
	case 'c':
		CreateProxy();
		break;
	case 'd':
		DestroyProxy();
		break;
	case 'm':
		MoveProxy();
		break;
	default:
		break;
	}
}

void DynamicTreeTest::Step(Settings*)
{
	if (automated)
	{
		for (int i = 0; i < ActionsPerStep; ++i)
		{
			Action();
		}
	}

	Query();

	for (const Actor& actor : actors)
	{
		if (actor.proxyId != b2_nullNode)
		{
			debugDraw.DrawAABB(actor.aabb, actor.overlap ? OverlapColor : BoxColor);
		}
	}
	debugDraw.DrawAABB(queryBox, QueryColor);

	debugDraw.DrawString(5, textLine, "dynamic tree height = %d", tree.GetHeight());
	textLine += TextLineStep;
}

int DynamicTreeTest::GetProxyCount() const
{
	int count = 0;
	for (const Actor& actor : actors)
	{
		if (actor.proxyId != b2_nullNode)
		{
			++count;
		}
	}
	return count;
}

int DynamicTreeTest::CountOverlapping() const
{
	int count = 0;
	for (const Actor& actor : actors)
	{
		if (actor.proxyId != b2_nullNode && b2TestOverlap(queryBox, actor.aabb))
		{
			++count;
		}
	}
	return count;
}

float DynamicTreeTest::GetLayoutSignature() const
{
	float sum = 0.0f;
	for (const Actor& actor : actors)
	{
		if (actor.proxyId != b2_nullNode)
		{
			sum += actor.aabb.lowerBound.x + actor.aabb.lowerBound.y;
		}
	}
	return sum;
}
