#pragma once

#include <cstdint>
#include <vector>

class GameObject;

// Asks every zombie of a list, on the world as it stands, whether it sees
// its target both ways: through the plain world cast and through the path
// the zombie takes (the ground's sight tree first). Times both and keeps
// count of the answers and of any difference between them.
class SightComparison
{
public:
	struct Counts
	{
		int64_t rays = 0;
		int64_t inSight = 0;
		// Shields noted on rays that reach their target: the only ones a
		// zombie reads.
		int64_t shieldsNoted = 0;
		// Rays the sight tree answered alone; the rest ran the world cast.
		int64_t hidden = 0;
		// Differing in-sight answers, or differing shields on a ray in sight.
		int64_t mismatches = 0;
	};

	// Compares the rays of every zombie in objects that is not fading and
	// has a target.
	void Compare(const std::vector<GameObject*>& objects);

	const Counts& GetCounts() const { return counts; }
	// Milliseconds the last comparison spent on each path.
	float GetWorldCastMs() const { return worldCastMs; }
	float GetSightPathMs() const { return sightPathMs; }

private:
	Counts counts;
	float worldCastMs = 0.0f;
	float sightPathMs = 0.0f;
};
