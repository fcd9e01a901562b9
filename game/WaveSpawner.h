#pragma once

#include <cstdint>
#include <vector>

class Agent;
class GameWorld;
class Ground;

// Places a wave of zombies on random open tiles of the arena's spawn band:
// every tile at most once per wave, drawn from the runtime library's rand
// (never seeded, so the placement repeats from run to run).
class WaveSpawner
{
public:
	// Zombies spawn only on open tiles of this row or higher.
	static constexpr unsigned int FirstRow = 16;

	// Draws from the open tiles ground has now; the zombies go into world.
	WaveSpawner(const Ground& ground, GameWorld& world);

	// Resets the kill count and spawns size zombies aimed at knight and
	// archer, every open tile offered again. A band with fewer free tiles
	// ends the wave early: the number actually spawned.
	uint32_t Spawn(uint32_t size, Agent* knight, Agent* archer);

private:
	// A random tile of the pool, moved behind it, until one lies in the
	// band; -1 when the pool runs out first.
	int PickTile();

	GameWorld& world;
	unsigned int width;
	// width * y + x of every open tile; the front poolSize entries are
	// still unpicked in this wave.
	std::vector<int> tiles;
	int poolSize = 0;
};
