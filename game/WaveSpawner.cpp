#include "game/WaveSpawner.h"

#include <cstdlib>
#include <utility>

#include "game/GameGlobals.h"
#include "game/arena/Ground.h"
#include "game/objects/GameWorld.h"
#include "game/objects/Zombie.h"

WaveSpawner::WaveSpawner(const Ground& ground, GameWorld& world)
	: world(world), width(ground.width), tiles(ground.openTiles)
{
}

uint32_t WaveSpawner::Spawn(uint32_t size, Agent* knight, Agent* archer)
{
	KillCount = 0;
	poolSize = static_cast<int>(tiles.size());

	uint32_t spawned = 0;
	while (spawned < size)
	{
		// Built before its tile is drawn: its own timers draw from the same
		// generator, and keeping that order keeps the placements.
		Zombie* zombie = new Zombie();
		const int tile = PickTile();
		if (tile < 0)
		{
			delete zombie;
			break;
		}

		const float x = static_cast<float>(static_cast<unsigned int>(tile) % width) * Ground::TileSize;
		const float y = static_cast<float>(static_cast<unsigned int>(tile) / width) * Ground::TileSize;
		const float half = 0.5f * Ground::TileSize;
		zombie->fixture->GetBody()->SetTransform(b2Vec2(x + half, y + half), 0.0f);
		zombie->targetA = knight;
		zombie->targetB = archer;
		world.Add(zombie);
		++spawned;
	}
	return spawned;
}

int WaveSpawner::PickTile()
{
	const unsigned int bandStart = width * FirstRow;
	while (poolSize > 0)
	{
		const int r = rand() % poolSize;
		const int tile = tiles[r];
		std::swap(tiles[r], tiles[poolSize - 1]);
		--poolSize;
		if (static_cast<unsigned int>(tile) >= bandStart)
		{
			return tile;
		}
	}
	return -1;
}
