#pragma once

#include <box2d/box2d.h>

// What a scene may do with the camera: look at a point at a zoom, and ask
// which part of the world the window shows.
class Camera
{
public:
	virtual ~Camera() = default;
	virtual void LookAt(const b2Vec2& center, float zoom) = 0;
	// The world's corners at the window's lower left and upper right.
	virtual void VisibleArea(b2Vec2* lower, b2Vec2* upper) const = 0;
};
