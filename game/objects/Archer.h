#pragma once

#include <box2d/box2d.h>

#include <cstdint>

#include "game/objects/Agent.h"

// Player two's fighter: sprints, looses quick arrows upwards on its facing
// side, or takes an aiming stance in which each tap shoots along the stick.
class Archer : public Agent
{
public:
	Archer();

	void Update() override;
	// Launches one arrow along the unit vector dir.
	void Shoot(b2Vec2 dir);

	static constexpr int32_t TimerFrames = 15;
	static constexpr float SprintScale = 1.5f;
	static constexpr float WalkSpeed = 20.0f;
	static constexpr float SprintSpeed = 40.0f;
	// Above this body speed a release drops the stance instead of shooting.
	static constexpr float AimedShotSpeed = 20.0f;
	static constexpr float ArrowSpeed = 60.0f;
	static constexpr float ArrowDensity = 10.0f;
	static constexpr float BowDistance = 3.2f;

	// Set on entering the stance; the release that ends that hold fires
	// nothing.
	bool drawLatch = false;
	// Not in the aiming stance.
	bool bowDown = true;
	// The stick was deflected while drawLatch was set.
	bool aimGiven = false;
	int32_t bowShowTimer = 0;
	int32_t holdTimer = 0;
	int32_t sprintCooldown = 0;
	// Last stick direction (y up) longer than 1; in front of the figure
	// until the stick first says otherwise.
	b2Vec2 aim{1.0f, 0.0f};
	b2Vec2 bowOffset{0.0f, 0.0f};
	// Carries the bow's transform for drawing; no fixture.
	b2Body* bowBody = nullptr;
	float hurt = 0.0f;
	float fade = 1.0f;

private:
	// Walking pace, or sprinting while the sprint button is held.
	void SetPace();
	// A fresh press of fire starts the hold timer; a hold past it, on the
	// ground and not just after a sprint, takes the aiming stance.
	void TakeStance(bool fireHeld, bool fireChanged);
	// The stick's direction (y up) when it is deflected, else the last
	// one; letting go of the stick after aiming lowers the bow.
	b2Vec2 Aim();
	// In the stance the bow stands BowDistance out along a.
	void RaiseBow(b2Vec2 a);
	// Fire let go: an aimed shot from the stance (unless running too fast
	// or not aimed), else a quick shot upwards on the facing side.
	void Release();
	// The bow stays shown for a while after a quick shot.
	void ShowQuickShotBow();
};
