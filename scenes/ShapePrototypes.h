#pragma once

#include <box2d/box2d.h>

// The five shapes the drop-stuff scenes throw into their worlds: triangle,
// thin triangle, octagon, box and circle.
class ShapePrototypes
{
public:
	static constexpr int Count = 5;

	ShapePrototypes();

	// A dynamic body with prototype index (0 to Count - 1) at a random point
	// above the ground, at a random angle.
	b2Body* Drop(b2World* world, int index) const;

private:
	b2PolygonShape polygons[Count - 1];
	b2CircleShape circle;
};

// Fixed-capacity set of dropped bodies that reuses its slots in turn,
// replacing the oldest body once every slot is taken.
class DroppedBodies
{
public:
	static constexpr int Capacity = 256;

	DroppedBodies();

	// The drop keys: 1 to 5 drop the prototype of that number, d destroys
	// the body in the lowest occupied slot. Other keys change nothing.
	void Keyboard(b2World* world, const ShapePrototypes& prototypes, unsigned char key);
	void Add(b2World* world, b2Body* body);
	// Destroys the body in the lowest occupied slot; nothing when empty.
	void DestroyFirst(b2World* world);
	int CountLive() const;

private:
	b2Body* bodies[Capacity];
	int next;
};
