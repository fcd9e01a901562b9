#pragma once

#include "framework/Test.h"

// A heavy fast box dropped on a thin bar: continuous collision keeps the
// bullet from tunnelling through.
class BulletTest : public Test
{
public:
	BulletTest();
	static Test* Create();

	void Step(Settings* settings) override;

	b2Body* GetBullet() const { return bullet; }

private:
	b2Body* bullet;
};
