#pragma once

#include <box2d/box2d.h>

// Two flat triangles on the points (-1, 0), (1, 0), (0, 0.5), one turned by
// +angle and moved by that turn applied to (1, 0), the other turned by
// -angle and moved by minus that turn applied to (1, 0): together they make
// a dart-like body of two convex parts.
struct TwinTriangles
{
	explicit TwinTriangles(float angle);

	b2PolygonShape first;
	b2PolygonShape second;
};
