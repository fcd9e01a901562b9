#pragma once

#include <box2d/box2d.h>

#include <map>
#include <vector>

#include "game/objects/GameObject.h"
#include "game/objects/SightTree.h"

// Open (0) or solid (1) class of every tile code that is not plain solid;
// codes missing from the table, and the 1 outside the grid, are solid.
using TileClassTable = std::map<unsigned int, int>;
TileClassTable& TileClasses();

// The arena's terrain: one static body whose one-sided edges trace every
// boundary between solid and open tiles (a diagonal where two open sides
// meet at a corner, which makes the slopes), the sprite-sheet frame of every
// cell, and the list of open tiles the waves spawn on.
class Ground : public GameObject
{
public:
	// World units per tile side.
	static constexpr float TileSize = 3.2f;
	// Half the side of the box searched around an edge end for its neighbour.
	static constexpr float QueryHalfSize = 0.005f;

	// Bits of the set of open neighbours of a tile.
	enum OpenSide
	{
		OpenBelow = 1,
		OpenRight = 2,
		OpenAbove = 4,
		OpenLeft = 8,
	};

	// Whether each end of one edge found its neighbour's far end as a ghost
	// vertex. An edge with both ends linked is one-sided.
	struct EdgeLink
	{
		b2Fixture* fixture;
		bool start;
		bool end;
	};

	// Builds the built-in arena in the world of GameWorldInstance.
	void Build();
	// Builds any level of width x height codes stored top row first; the
	// level must outlive the ground.
	void Build(const int* level, unsigned int levelWidth, unsigned int levelHeight);

	// The code of cell (x, y), y from the bottom; 1 outside the grid.
	int TileAt(int x, int y) const;
	bool IsOpen(int code) const;
	// World point of grid corner (i, j), identical from every tile that
	// shares it.
	static b2Vec2 Corner(int i, int j);
	// The sprite-sheet frame number (1-based) shown for a tile code.
	static int DisplayCode(int code);

	// Gives every edge of body the far ends of its neighbours as ghost
	// vertices; Build runs it, and it may run again after edges were added.
	// Ends without exactly one neighbour are logged and left unlinked.
	void LinkEdges();
	// One entry per edge fixture, in fixture list order, from the last link.
	const std::vector<EdgeLink>& GetEdgeLinks() const { return edgeLinks; }

	// width * y + x of every open tile, bottom row first.
	std::vector<int> openTiles;
	b2Body* body = nullptr;
	unsigned int width = 0;
	unsigned int height = 0;
	const int* levelGrid = nullptr;
	// Frame number of every cell, stored like the level.
	int* displayGrid = nullptr;
	TileClassTable* tileClasses = nullptr;

private:
	// Finds the one other edge that shares an endpoint with self.
	class MyQueryCallback : public b2QueryCallback
	{
	public:
		bool ReportFixture(b2Fixture* fixture) override;

		b2Fixture* self = nullptr;
		b2Fixture* match = nullptr;
		bool broken = false;
	};

	void AddTileEdges(int x, int y, int openSides);
	b2Fixture* AddEdge(int x, int y, int dx1, int dy1, int dx2, int dy2);
	// Looks for the neighbour at point; null when none or more than one.
	b2Fixture* FindNeighbour(b2Fixture* fixture, const b2Vec2& point, const char* brokenText);
	static void Log(const char* text);

	std::vector<int> displayCells;
	std::vector<EdgeLink> edgeLinks;
	// The edges as of the last link, for the zombies' sight rays.
	SightTree sightTree;
};
