#pragma once

#include "scenes/ContinuousCollisionScene.h"

// A heavy fast box dropped on a thin bar: continuous collision keeps the
// bullet from tunnelling through.
class BulletTest : public ContinuousCollisionScene
{
public:
	BulletTest();
	static Test* Create();

	b2Body* GetBullet() const { return bullet; }

private:
	b2Body* bullet;
};
