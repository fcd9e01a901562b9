#pragma once

#include <box2d/box2d.h>

#include <cstdint>

#include "game/ControlState.h"
#include "game/objects/GameObject.h"

class Proj;

// A living combatant: one dynamic circle with fixed rotation that walks
// along the ground tangent, jumps with a held-button impulse, knows when it
// stands on the ground, and grips the ground only when it is not pushing.
class Agent : public GameObject
{
public:
	Agent();
	// Destroys the fixture, then the body, which takes a mace's tether with
	// it. Projectiles this agent launched find it gone through their owner
	// handle and leave both the agent and the tether alone.
	~Agent() override;

	// Full ground friction, none while pushing.
	void OnPreSolve(b2Contact* contact, const b2Manifold* oldManifold, b2Fixture* self, b2Fixture* other) override;
	// Notes a supporting ground contact (normal within about 45.6 degrees
	// of straight up), and a wall of the ground beside the agent.
	void OnContact(b2Contact* contact, b2Fixture* self, b2Fixture* other) override;

	// Walking, facing and gait for one frame; push false turns and animates
	// without adding any impulse. Nor does a push into a wall the agent
	// touched in the last step: on a slope that ends at a wall, the impulse
	// along the slope would only lift the agent off it, again and again, and
	// a jump needs the ground contact it breaks.
	void Move(float stickX, bool push);
	// Jump impulse, reset of the frame's ground state, timer countdown.
	void EndFrame();

	static constexpr float Radius = 1.6f;
	static constexpr int32_t GroundGraceFrames = 10;
	static constexpr int32_t JumpFrames = 10;
	// Normal y above which a contact supports the agent.
	static constexpr float SupportNormalY = 0.7f;
	// A ground contact whose normal y lies within this of 0 is a wall
	// (about 11.5 degrees from horizontal): a corner the agent is rolling
	// over is not one.
	static constexpr float WallNormalY = 0.2f;

	float moveScale = 1.0f;
	float maxSpeed = 20.0f;
	bool pushing = false;
	float facing = 1.0f;
	float walkPhase = 0.0f;
	float bob = 0.0f;
	float jumpStrength = 20.0f;
	b2Vec2 jumpDir{0.0f, 1.0f};
	int32_t jumpTimer = 0;
	bool onGround = false;
	int32_t groundTimer = 0;
	b2Vec2 groundNormal{0.0f, 1.0f};
	// Normal of a wall touched in the last step, pointing away from it; zero
	// when none. Reset every frame like groundNormal.
	b2Vec2 wallNormal{0.0f, 0.0f};
	b2Fixture* fixture = nullptr;
	// Filled by the scene every frame for a fighter; null for zombies.
	ControlState* control = nullptr;

protected:
	// A press of button 1 with ground contact from the last step starts a
	// jump; a release cuts it short.
	void StartJump();
	// The fighters' harm and defeat rule on their own hurt and fade and
	// their extra body. Returns false when the fighter is down, including
	// the frame of the defeating hit, and its update ends here.
	bool SufferHarm(float& hurt, float& fade, b2Body* extraBody);
	// Makes this agent the projectile's owner and registers the projectile.
	void Launch(Proj* projectile);
};

// The contact normal pointing from the other fixture towards self.
b2Vec2 ContactNormal(b2Contact* contact, b2Fixture* self);
