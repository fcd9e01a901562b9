#pragma once

#include "game/objects/GameObject.h"
#include "game/objects/GameWorld.h"

// A reference to a registered game object that may be deleted while the
// reference is held: resolved in the object's GameWorld, it yields the
// object while it is registered and null once the world has deleted it,
// even after a later object has taken its slot. It never owns the object.
// (A slot's generation would have to wrap around its 32 bits, some four
// billion deletions, before a stale handle could name a new object.)
template <typename T>
class Handle
{
public:
	// Names nothing.
	Handle() = default;
	// Names object, which must already be registered (GameWorld::Add); a
	// null object, or one not yet registered, gives a handle that names
	// nothing.
	Handle(T* object) : id(object != nullptr ? object->Id() : ObjectId()) {}

	// The object while it lives in world, the world it was registered in;
	// otherwise null.
	T* Get(const GameWorld& world) const { return static_cast<T*>(world.Find(id)); }

private:
	ObjectId id;
};
