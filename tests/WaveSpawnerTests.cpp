#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "game/GameGlobals.h"
#include "game/WaveSpawner.h"
#include "game/arena/ArenaLevel.h"
#include "game/arena/Ground.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Zombie.h"
#include "tests/support/Fighters.h"

namespace
{
class WaveSpawnerTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		knight = AddAgent<Knight>(arena, 120.0f);
		archer = AddAgent<Archer>(arena, 136.0f);
	}

	std::vector<const Zombie*> Zombies() const
	{
		std::vector<const Zombie*> zombies;
		for (const GameObject* object : arena.gameWorld.objects)
		{
			if (object->kind == KindZombie)
			{
				zombies.push_back(static_cast<const Zombie*>(object));
			}
		}
		return zombies;
	}

	static b2Vec2 PositionOf(const Zombie* zombie)
	{
		return zombie->fixture->GetBody()->GetPosition();
	}

	ObjectWorld arena;
	Ground ground;
	Knight* knight = nullptr;
	Archer* archer = nullptr;
};
} // namespace

TEST_F(WaveSpawnerTest, AWaveTakesDistinctOpenTilesOfTheBandAtTheirCentresAimedAtTheFighters)
{
	ground.Build();
	KillCount = 7;
	EXPECT_EQ(WaveSpawner(ground, arena.gameWorld).Spawn(50, knight, archer), 50u);
	EXPECT_EQ(KillCount, 0u);

	const auto zombies = Zombies();
	ASSERT_EQ(zombies.size(), 50u);
	std::set<std::pair<int, int>> tiles;
	for (const Zombie* zombie : zombies)
	{
		const b2Vec2 p = PositionOf(zombie);
		EXPECT_GE(p.y, 52.8f - 1e-4f);
		const int x = static_cast<int>(std::floor(p.x / Ground::TileSize));
		const int y = static_cast<int>(std::floor(p.y / Ground::TileSize));
		EXPECT_NEAR(p.x, x * Ground::TileSize + 1.6f, 1e-3f);
		EXPECT_NEAR(p.y, y * Ground::TileSize + 1.6f, 1e-3f);
		EXPECT_TRUE(ground.IsOpen(ground.TileAt(x, y)));
		tiles.insert({x, y});
		EXPECT_EQ(zombie->targetA.Get(arena.gameWorld), knight);
		EXPECT_EQ(zombie->targetB.Get(arena.gameWorld), archer);
	}
	EXPECT_EQ(tiles.size(), 50u);
}

TEST_F(WaveSpawnerTest, AWaveLargerThanTheFreeTilesOfTheBandStopsAtTheTilesThereAre)
{
	// Four columns, twenty rows: three open tiles in the band (row 16 and
	// up) and two below it, each walled in on every side.
	constexpr unsigned int Width = 4;
	constexpr unsigned int Height = 20;
	const std::pair<int, int> band[] = {{0, 19}, {2, 19}, {1, 17}};
	const std::pair<int, int> low[] = {{0, 2}, {2, 5}};
	std::vector<int> level(Width * Height, TileBlock);
	for (const auto& cells : {std::vector<std::pair<int, int>>(std::begin(band), std::end(band)),
			 std::vector<std::pair<int, int>>(std::begin(low), std::end(low))})
	{
		for (const auto& [x, y] : cells)
		{
			level[(Height - 1 - y) * Width + x] = TileBackground;
		}
	}
	ground.Build(level.data(), Width, Height);
	ASSERT_EQ(ground.openTiles.size(), 5u);

	KillCount = 7;
	EXPECT_EQ(WaveSpawner(ground, arena.gameWorld).Spawn(10, knight, archer), 3u);
	EXPECT_EQ(KillCount, 0u);
	std::set<std::pair<float, float>> places;
	for (const Zombie* zombie : Zombies())
	{
		places.insert({PositionOf(zombie).x, PositionOf(zombie).y});
	}
	std::set<std::pair<float, float>> centres;
	for (const auto& [x, y] : band)
	{
		centres.insert({x * Ground::TileSize + 1.6f, y * Ground::TileSize + 1.6f});
	}
	EXPECT_EQ(places, centres);
}
