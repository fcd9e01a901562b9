#pragma once

#include <box2d/box2d.h>

#include <cstdint>
#include <memory>
#include <vector>

// The ground's edges in a ray-cast tree of their own. A sight ray cast
// through the world is offered every zombie it passes; this tree holds only
// the edges, so it tells cheaply when the ground alone already decides that
// a target is out of sight. Each edge is tested with its fixture's own ray
// cast, the very computation the world's cast makes on the same ray, so a
// "hidden" answer is exactly the world cast's answer; every other case is
// left to the world cast.
class SightTree
{
public:
	// Fraction of the ray by which an edge must precede the target's circle
	// to hide it. A near tie may go either way in the world cast (an exact
	// one by the order in which its tree offers the two fixtures, a close one
	// because it accepts a circle by a product that rounds apart from the
	// circle's fraction), so it is left to the world cast.
	static constexpr float TieMargin = 1.0e-4f;

	SightTree() = default;
	~SightTree();
	SightTree(const SightTree&) = delete;
	SightTree& operator=(const SightTree&) = delete;

	// Indexes every edge fixture of body, a static body whose edges stay as
	// they are while this tree lives (it keeps their fixtures), and makes this
	// the tree of body's world. Building again replaces the index.
	void Build(b2Body* body);
	// The tree built for world, or null.
	static const SightTree* Of(const b2World* world);

	// True when the world's sight cast from `from` to `to` cannot end on the
	// target fixture: its body takes no part in the world, the ray misses it,
	// or an edge of the ground meets the ray before it. A false answer
	// decides nothing. from and to must differ. hint names an edge to try
	// first (any value will do; the edge that hid the target last time is
	// the likeliest to hide it again) and becomes the edge that hid it.
	bool Hides(const b2Vec2& from, const b2Vec2& to, const b2Fixture& target, int32_t& hint) const;

	int32_t GetEdgeCount() const { return static_cast<int32_t>(edges.size()); }

private:
	// Stops the tree's cast at the first edge that meets the ray within its
	// clip.
	class EdgeHit
	{
	public:
		explicit EdgeHit(const SightTree& sight)
			: sight(sight)
		{
		}
		float RayCastCallback(const b2RayCastInput& input, int32_t proxyId);

		// Index of the edge found, or -1.
		int32_t found = -1;

	private:
		const SightTree& sight;
	};

	void Unregister();
	// Whether edge number index meets the ray within its clip.
	bool EdgeMeets(int32_t index, const b2RayCastInput& input) const;

	std::unique_ptr<b2DynamicTree> tree;
	b2Body* body = nullptr;
	// The indexed edges; each proxy's user data points at its entry.
	std::vector<b2Fixture*> edges;
};
