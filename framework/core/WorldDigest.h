#pragma once

#include <box2d/box2d.h>

#include <cstdint>

// A 64-bit fingerprint of a simulation's state, bit for bit: two runs that
// agree on every body's position, angle and velocities (and whatever else a
// scene adds) get the same value, and any difference in any bit almost
// surely changes it. FNV-1a over the values' bytes.
class WorldDigest
{
public:
	void Add(uint64_t value);
	void Add(float value);
	// Every body in the world's list order: position, angle, linear and
	// angular velocity.
	void Add(const b2World& world);

	uint64_t Value() const { return hash; }

private:
	static constexpr uint64_t OffsetBasis = 14695981039346656037ull;
	static constexpr uint64_t Prime = 1099511628211ull;

	uint64_t hash = OffsetBasis;
};
