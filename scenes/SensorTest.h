#pragma once

#include "framework/core/Test.h"

// A sensor circle above the ground that pulls in every ball touching it.
class SensorTest : public Test
{
public:
	static constexpr int BallCount = 7;

	SensorTest();
	static Test* Create();

	void Step(Settings* settings) override;
	void BeginContact(b2Contact* contact) override;
	void EndContact(b2Contact* contact) override;

	bool IsTouching(int i) const { return touching[i]; }
	b2Body* GetBall(int i) const { return balls[i]; }
	b2Vec2 GetSensorCenter() const;

private:
	// Index of the ball the other fixture of a sensor contact belongs to,
	// or -1 when the contact does not join the sensor and a ball.
	int BallTouchingSensor(b2Contact* contact) const;

	b2Fixture* sensor;
	b2Body* balls[BallCount];
	bool touching[BallCount];
};
