#include "game/objects/SightComparison.h"

#include <box2d/box2d.h>

#include "game/objects/GameWorld.h"
#include "game/objects/SightTree.h"
#include "game/objects/Zombie.h"

namespace
{
struct Answer
{
	bool inSight;
	bool shieldSeen;
};

template <class Ask>
float TimeAnswers(const std::vector<Zombie*>& lookers, std::vector<Answer>& answers, Ask ask)
{
	answers.resize(lookers.size());
	b2Timer timer;
	for (size_t i = 0; i < lookers.size(); ++i)
	{
		Zombie::MyRayCastClosestCallback ray;
		answers[i].inSight = ask(*lookers[i], ray);
		answers[i].shieldSeen = ray.shieldSeen;
	}
	return timer.GetMilliseconds();
}

bool TreeHides(const SightTree* tree, const Zombie& zombie)
{
	const Agent* target = zombie.target.Get(*GameWorldInstance);
	const b2Vec2 from = zombie.fixture->GetBody()->GetPosition();
	const b2Vec2 to = target->fixture->GetBody()->GetPosition();
	int32_t hint = zombie.hidingEdge;
	return tree != nullptr && b2DistanceSquared(from, to) > b2_epsilon * b2_epsilon &&
		tree->Hides(from, to, *target->fixture, hint);
}
} // namespace

void SightComparison::Compare(const std::vector<GameObject*>& objects)
{
	std::vector<Zombie*> lookers;
	for (GameObject* object : objects)
	{
		if (object->kind != KindZombie || object->Has(DyingFlag))
		{
			continue;
		}
		Zombie* zombie = static_cast<Zombie*>(object);
		if (zombie->target.Get(*GameWorldInstance) != nullptr)
		{
			lookers.push_back(zombie);
		}
	}

	std::vector<Answer> cast;
	std::vector<Answer> path;
	worldCastMs = TimeAnswers(lookers, cast, [](Zombie& z, Zombie::MyRayCastClosestCallback& ray) {
		return z.CastSight(ray);
	});
	sightPathMs = TimeAnswers(lookers, path, [](Zombie& z, Zombie::MyRayCastClosestCallback& ray) {
		return z.Sees(ray);
	});

	const SightTree* tree = SightTree::Of(GameWorldInstance->world);
	for (size_t i = 0; i < lookers.size(); ++i)
	{
		++counts.rays;
		counts.hidden += TreeHides(tree, *lookers[i]) ? 1 : 0;
		if (cast[i].inSight != path[i].inSight || (cast[i].inSight && cast[i].shieldSeen != path[i].shieldSeen))
		{
			++counts.mismatches;
		}
		if (cast[i].inSight)
		{
			++counts.inSight;
			counts.shieldsNoted += cast[i].shieldSeen ? 1 : 0;
		}
	}
}
