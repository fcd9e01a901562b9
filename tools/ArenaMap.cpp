#include "tools/ArenaMap.h"

#include <cmath>
#include <queue>
#include <utility>

#include "game/arena/Ground.h"

namespace
{
// What each move costs, in tiles walked: a jump may fail and take a few
// tries, a drop leaves the way back to a jump.
constexpr float WalkCost = 1.0f;
constexpr float SlopeCost = 1.4f;
constexpr float DropCost = 1.5f;
constexpr float JumpCost = 4.0f;
// Columns a jump may carry a fighter sideways.
constexpr int JumpReach = 5;
} // namespace

ArenaMap::ArenaMap(const Ground& ground)
	: ground(ground), width(static_cast<int>(ground.width)), height(static_cast<int>(ground.height)),
	  links(static_cast<size_t>(width) * height)
{
	for (int y = 0; y < height; ++y)
	{
		for (int x = 0; x < width; ++x)
		{
			const Cell cell{x, y};
			if (!IsStanding(cell))
			{
				continue;
			}
			for (int side : {-1, 1})
			{
				LinkSide(cell, side);
				LinkJumps(cell, side);
			}
		}
	}
}

bool ArenaMap::Solid(int x, int y) const
{
	return !ground.IsOpen(ground.TileAt(x, y));
}

bool ArenaMap::IsStanding(const Cell& cell) const
{
	return cell.x >= 0 && cell.y >= 0 && cell.x < width && cell.y < height && !Solid(cell.x, cell.y) &&
		Solid(cell.x, cell.y - 1);
}

ArenaMap::Cell ArenaMap::StandingCellAt(const b2Vec2& p) const
{
	Cell cell{static_cast<int>(std::floor(p.x / Ground::TileSize)), static_cast<int>(std::floor(p.y / Ground::TileSize))};
	if (Solid(cell.x, cell.y))
	{
		++cell.y;
	}
	return IsStanding(cell) ? cell : Cell{};
}

b2Vec2 ArenaMap::Centre(const Cell& cell)
{
	return b2Vec2((cell.x + 0.5f) * Ground::TileSize, (cell.y + 0.5f) * Ground::TileSize);
}

bool ArenaMap::SlopeUp(int x, int y, int side) const
{
	// The ground builder lays a diagonal across a solid tile whose open
	// sides are just the top and one flank; it rises away from that flank.
	return Solid(x, y) && !Solid(x, y + 1) && !Solid(x - side, y) && Solid(x + side, y) && Solid(x, y - 1);
}

void ArenaMap::LinkSide(const Cell& from, int side)
{
	const int x = from.x + side;
	const int y = from.y;
	if (!Solid(x, y))
	{
		int landing = y;
		while (!Solid(x, landing - 1))
		{
			--landing;
		}
		AddLink(from, Cell{x, landing}, landing == y ? Move::Walk : Move::Drop,
			landing == y ? WalkCost : DropCost + 0.25f * static_cast<float>(y - landing));
		return;
	}
	// A tile higher: up a slope, or a jump with room above both tiles.
	if (Solid(x, y + 1) || Solid(from.x, y + 1))
	{
		return;
	}
	if (SlopeUp(x, y, side))
	{
		AddLink(from, Cell{x, y + 1}, Move::Walk, SlopeCost);
	}
	else
	{
		AddLink(from, Cell{x, y + 1}, Move::Jump, JumpCost);
	}
}

void ArenaMap::LinkJumps(const Cell& from, int side)
{
	for (int rise = 0; rise <= JumpTiles; ++rise)
	{
		// The fighter rises to its full height over every column it crosses
		// before it comes down on the ledge.
		for (int reach = 1; reach <= JumpReach; ++reach)
		{
			const int crossed = from.x + side * (reach - 1);
			if (Solid(crossed, from.y + 1) || Solid(crossed, from.y + JumpTiles))
			{
				break;
			}
			const Cell to{from.x + side * reach, from.y + rise};
			bool clear = IsStanding(to) && (rise > 1 || reach > 1);
			for (int y = to.y; clear && y <= from.y + JumpTiles; ++y)
			{
				clear = !Solid(to.x, y);
			}
			if (clear)
			{
				AddLink(from, to, Move::Jump, JumpCost + static_cast<float>(rise + reach));
			}
		}
	}
}

void ArenaMap::AddLink(const Cell& from, const Cell& to, Move move, float cost)
{
	links[static_cast<size_t>(Index(from))].push_back(Link{Index(to), move, cost});
}

std::vector<ArenaMap::Step> ArenaMap::Route(const Cell& start, const std::function<bool(const Cell&)>& goal) const
{
	if (!IsStanding(start))
	{
		return {};
	}
	std::vector<float> cost(links.size(), INFINITY);
	std::vector<int> previous(links.size(), -1);
	std::vector<Move> via(links.size(), Move::Walk);
	using Entry = std::pair<float, int>;
	std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
	cost[static_cast<size_t>(Index(start))] = 0.0f;
	open.push({0.0f, Index(start)});
	while (!open.empty())
	{
		const auto [reached, index] = open.top();
		open.pop();
		if (reached > cost[static_cast<size_t>(index)])
		{
			continue;
		}
		if (goal(CellOf(index)))
		{
			std::vector<Step> route;
			for (int at = index; at != -1; at = previous[static_cast<size_t>(at)])
			{
				route.insert(route.begin(), Step{CellOf(at), via[static_cast<size_t>(at)]});
			}
			return route;
		}
		for (const Link& link : links[static_cast<size_t>(index)])
		{
			const float next = reached + link.cost;
			if (next < cost[static_cast<size_t>(link.to)])
			{
				cost[static_cast<size_t>(link.to)] = next;
				previous[static_cast<size_t>(link.to)] = index;
				via[static_cast<size_t>(link.to)] = link.move;
				open.push({next, link.to});
			}
		}
	}
	return {};
}
