#pragma once

#include <box2d/box2d.h>

#include <functional>
#include <vector>

class Ground;

// Where a fighter can stand in the arena and how it gets from one such place
// to another: the open tiles with solid ground below them, joined by walking
// (flat, or up a slope), dropping off a ledge and jumping up to a ledge.
class ArenaMap
{
public:
	// How a fighter crosses from one standing tile to the next.
	enum class Move
	{
		Walk,
		Drop,
		Jump,
	};

	struct Cell
	{
		int x = -1;
		int y = -1;
		bool operator==(const Cell& other) const { return x == other.x && y == other.y; }
		bool operator!=(const Cell& other) const { return !(*this == other); }
	};

	struct Step
	{
		Cell to;
		Move move;
	};

	// The highest ledge a jump reaches, in tiles above the tile jumped from.
	static constexpr int JumpTiles = 2;

	explicit ArenaMap(const Ground& ground);

	bool IsStanding(const Cell& cell) const;
	// The standing tile of a fighter at position p: the tile it is in, or
	// the one above when p lies inside a slope's tile. {-1, -1} when that is
	// no standing tile (the fighter is in the air).
	Cell StandingCellAt(const b2Vec2& p) const;
	static b2Vec2 Centre(const Cell& cell);

	// The cheapest way from start to the nearest standing tile that goal
	// accepts, start first; empty when no such tile can be reached. Tiles
	// are offered to goal nearest first.
	std::vector<Step> Route(const Cell& start, const std::function<bool(const Cell&)>& goal) const;

private:
	struct Link
	{
		int to;
		Move move;
		float cost;
	};

	bool Solid(int x, int y) const;
	int Index(const Cell& cell) const { return cell.y * width + cell.x; }
	Cell CellOf(int index) const { return Cell{index % width, index / width}; }
	void LinkSide(const Cell& from, int side);
	void LinkJumps(const Cell& from, int side);
	void AddLink(const Cell& from, const Cell& to, Move move, float cost);
	// True when the tile at (x, y) is a slope a fighter walks up while
	// moving towards side (+1 right, -1 left).
	bool SlopeUp(int x, int y, int side) const;

	const Ground& ground;
	int width;
	int height;
	std::vector<std::vector<Link>> links;
};
