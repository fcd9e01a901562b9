#pragma once

#include "framework/core/Test.h"

// A chain with a heavy weight at its end, optionally held to a fixed
// maximum distance from its anchor by a rope.
class RopeJoint : public Test
{
public:
	RopeJoint();
	static Test* Create();

	void Step(Settings* settings) override;
	void Keyboard(unsigned char key) override;

	b2Joint* GetRope() const { return rope; }
	b2Body* GetWeight() const { return weight; }
	// The ground point the rope is tied to, in world coordinates.
	b2Vec2 GetRopeAnchor() const { return ropeDef.bodyA->GetWorldPoint(ropeDef.localAnchorA); }
	float GetRopeLength() const { return ropeDef.maxLength; }

private:
	b2DistanceJointDef ropeDef;
	b2Joint* rope;
	b2Body* weight;
};
