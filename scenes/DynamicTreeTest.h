#pragma once

#include <box2d/b2_dynamic_tree.h>

#include "framework/core/Test.h"

// The broad phase's dynamic box tree on its own: boxes are created,
// destroyed and moved at random while a query box finds the ones it
// overlaps. No world step, so pausing changes nothing here.
class DynamicTreeTest : public Test
{
public:
	static constexpr int ActorCount = 128;
	// Random actions per step while automation is on.
	static constexpr int ActionsPerStep = 32;

	DynamicTreeTest();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	bool QueryCallback(int32 proxyId);

	bool IsAutomated() const { return automated; }
	int GetProxyCount() const;
	int GetTreeHeight() const { return tree.GetHeight(); }
	// Actors the last query found, and the number that truly overlap it.
	int GetQueryHits() const { return queryHits; }
	int CountOverlapping() const;
	// Sum of all actors' box corners: changes whenever any box moves.
	float GetLayoutSignature() const;

private:
	struct Actor
	{
		b2AABB aabb;
		bool overlap;
		int32 proxyId;
	};

	b2AABB RandomBox() const;
	void MoveBox(b2AABB* aabb) const;
	void CreateProxy();
	void DestroyProxy();
	void MoveProxy();
	void Action();
	void Query();

	b2DynamicTree tree;
	Actor actors[ActorCount];
	b2AABB queryBox;
	bool automated;
	int queryHits;
};
