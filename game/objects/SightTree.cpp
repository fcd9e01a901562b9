#include "game/objects/SightTree.h"

#include <map>

#include "game/objects/GameObject.h"

namespace
{
std::map<const b2World*, const SightTree*>& Registry()
{
	static std::map<const b2World*, const SightTree*> trees;
	return trees;
}
} // namespace

SightTree::~SightTree()
{
	Unregister();
}

void SightTree::Unregister()
{
	if (body == nullptr)
	{
		return;
	}
	auto& trees = Registry();
	const auto found = trees.find(body->GetWorld());
	if (found != trees.end() && found->second == this)
	{
		trees.erase(found);
	}
}

void SightTree::Build(b2Body* ground)
{
	Unregister();
	tree = std::make_unique<b2DynamicTree>();
	body = ground;
	edges.clear();
	for (b2Fixture* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
	{
		// Only what blocks every sight line belongs here.
		if (fixture->GetType() == b2Shape::e_edge && (GameObject::FlagsOf(fixture) & GroundFlag) != 0)
		{
			edges.push_back(fixture);
		}
	}
	for (b2Fixture*& edge : edges)
	{
		b2AABB box;
		edge->GetShape()->ComputeAABB(&box, body->GetTransform(), 0);
		tree->CreateProxy(box, &edge);
	}
	Registry()[body->GetWorld()] = this;
}

const SightTree* SightTree::Of(const b2World* world)
{
	const auto& trees = Registry();
	const auto found = trees.find(world);
	return found != trees.end() ? found->second : nullptr;
}

bool SightTree::Hides(const b2Vec2& from, const b2Vec2& to, const b2Fixture& target, int32_t& hint) const
{
	// A disabled body has no proxy in the world's tree, so the cast never
	// meets it.
	if (!target.GetBody()->IsEnabled())
	{
		return true;
	}
	b2RayCastInput input;
	input.p1 = from;
	input.p2 = to;
	input.maxFraction = 1.0f;
	// The world cast never clips beyond the whole ray, so a circle missed
	// here is missed there.
	b2RayCastOutput output;
	if (!target.RayCast(&output, input, 0))
	{
		return true;
	}
	input.maxFraction = output.fraction - TieMargin;
	if (!body->IsEnabled() || input.maxFraction <= 0.0f)
	{
		return false;
	}
	if (EdgeMeets(hint, input))
	{
		return true;
	}
	EdgeHit hit(*this);
	tree->RayCast(&hit, input);
	if (hit.found < 0)
	{
		return false;
	}
	hint = hit.found;
	return true;
}

bool SightTree::EdgeMeets(int32_t index, const b2RayCastInput& input) const
{
	if (index < 0 || index >= GetEdgeCount())
	{
		return false;
	}
	b2RayCastOutput output;
	return edges[static_cast<size_t>(index)]->RayCast(&output, input, 0);
}

float SightTree::EdgeHit::RayCastCallback(const b2RayCastInput& input, int32_t proxyId)
{
	b2Fixture* const* entry = static_cast<b2Fixture* const*>(sight.tree->GetUserData(proxyId));
	const int32_t index = static_cast<int32_t>(entry - sight.edges.data());
	if (!sight.EdgeMeets(index, input))
	{
		return input.maxFraction;
	}
	found = index;
	return 0.0f;
}
