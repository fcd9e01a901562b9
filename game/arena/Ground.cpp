#include "game/arena/Ground.h"

#include "game/arena/ArenaLevel.h"
#include "game/assets/LogFile.h"
#include "game/objects/GameWorld.h"

namespace
{
// Code that TileAt gives for cells outside the grid: solid.
constexpr int OutsideCode = 1;
constexpr int OpenClass = 0;
constexpr int SolidClass = 1;
constexpr float EdgeFriction = 1.0f;

bool SamePoint(const b2Vec2& a, const b2Vec2& b)
{
	return a.x == b.x && a.y == b.y;
}

const b2EdgeShape* EdgeOf(b2Fixture* fixture)
{
	return static_cast<const b2EdgeShape*>(fixture->GetShape());
}
} // namespace

TileClassTable& TileClasses()
{
	static TileClassTable table = {
		{TileBackground, OpenClass},
		{TileBackgroundVariant, OpenClass},
		{TileUpperLeftHalf, SolidClass},
		{TileUpperRightHalf, SolidClass},
		{TileBlock, SolidClass},
		{TileFloorRising, SolidClass},
		{TileFloorFalling, SolidClass},
	};
	return table;
}

void Ground::Build()
{
	Build(ArenaLevel.data(), ArenaWidth, ArenaHeight);
}

void Ground::Build(const int* level, unsigned int levelWidth, unsigned int levelHeight)
{
	width = levelWidth;
	height = levelHeight;
	levelGrid = level;
	displayCells.assign(static_cast<size_t>(width) * height, 0);
	displayGrid = displayCells.data();
	tileClasses = &TileClasses();

	b2BodyDef bodyDef;
	body = GameWorldInstance->world->CreateBody(&bodyDef);
	flags |= GroundFlag;

	const int w = static_cast<int>(width);
	const int h = static_cast<int>(height);
	for (int y = 0; y < h; ++y)
	{
		for (int x = 0; x < w; ++x)
		{
			int openSides = 0;
			if (IsOpen(TileAt(x, y + 1)))
			{
				openSides |= OpenAbove;
			}
			if (IsOpen(TileAt(x, y - 1)))
			{
				openSides |= OpenBelow;
			}
			if (IsOpen(TileAt(x - 1, y)))
			{
				openSides |= OpenLeft;
			}
			if (IsOpen(TileAt(x + 1, y)))
			{
				openSides |= OpenRight;
			}

			const int code = TileAt(x, y);
			if (IsOpen(code))
			{
				openTiles.push_back(w * y + x);
			}
			else if (openSides != 0)
			{
				AddTileEdges(x, y, openSides);
			}
			displayGrid[(h - 1 - y) * w + x] = DisplayCode(code);
		}
	}

	LinkEdges();
}

int Ground::TileAt(int x, int y) const
{
	if (x < 0 || y < 0 || x >= static_cast<int>(width) || y >= static_cast<int>(height))
	{
		return OutsideCode;
	}
	return levelGrid[(static_cast<int>(height) - 1 - y) * static_cast<int>(width) + x];
}

bool Ground::IsOpen(int code) const
{
	const auto found = tileClasses->find(static_cast<unsigned int>(code));
	return found != tileClasses->end() && found->second == OpenClass;
}

b2Vec2 Ground::Corner(int i, int j)
{
	return b2Vec2(static_cast<float>(i) * TileSize, static_cast<float>(j) * TileSize);
}

int Ground::DisplayCode(int code)
{
	switch (code)
	{
	case TileBackground:
		return 68;
	case TileBackgroundVariant:
		return 66;
	case TileUpperLeftHalf:
		return 104;
	case TileUpperRightHalf:
		return 102;
	case TileFloorRising:
		return 84;
	case TileFloorFalling:
		return 86;
	default:
		return code;
	}
}

// Each edge runs so that its open side lies on its right: a one-sided edge
// only collides with what comes from that side.
void Ground::AddTileEdges(int x, int y, int openSides)
{
	switch (openSides)
	{
	case OpenBelow | OpenRight:
		AddEdge(x, y, 0, 0, 1, 1);
		return;
	case OpenAbove | OpenLeft:
		AddEdge(x, y, 1, 1, 0, 0);
		return;
	case OpenRight | OpenAbove:
		AddEdge(x, y, 1, 0, 0, 1);
		return;
	case OpenBelow | OpenLeft:
		AddEdge(x, y, 0, 1, 1, 0);
		return;
	default:
		break;
	}
	if (openSides & OpenBelow)
	{
		AddEdge(x, y, 0, 0, 1, 0);
	}
	if (openSides & OpenAbove)
	{
		AddEdge(x, y, 1, 1, 0, 1);
	}
	if (openSides & OpenLeft)
	{
		AddEdge(x, y, 0, 1, 0, 0);
	}
	if (openSides & OpenRight)
	{
		AddEdge(x, y, 1, 0, 1, 1);
	}
}

b2Fixture* Ground::AddEdge(int x, int y, int dx1, int dy1, int dx2, int dy2)
{
	b2EdgeShape shape;
	shape.SetTwoSided(Corner(x + dx1, y + dy1), Corner(x + dx2, y + dy2));

	b2FixtureDef fixtureDef;
	fixtureDef.shape = &shape;
	fixtureDef.userData = UserData();
	fixtureDef.friction = EdgeFriction;
	fixtureDef.restitution = 0.0f;
	fixtureDef.density = 0.0f;
	return body->CreateFixture(&fixtureDef);
}

void Ground::LinkEdges()
{
	edgeLinks.clear();
	for (b2Fixture* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
	{
		b2EdgeShape* edge = static_cast<b2EdgeShape*>(fixture->GetShape());
		EdgeLink link{fixture, false, false};

		if (b2Fixture* match = FindNeighbour(fixture, edge->m_vertex1, "Pt0 broken query"))
		{
			const b2EdgeShape* other = EdgeOf(match);
			if (SamePoint(other->m_vertex1, edge->m_vertex1))
			{
				edge->m_vertex0 = other->m_vertex2;
				link.start = true;
			}
			else if (SamePoint(other->m_vertex2, edge->m_vertex1))
			{
				edge->m_vertex0 = other->m_vertex1;
				link.start = true;
			}
			else
			{
				Log("for pt0, This edge ain't right");
			}
		}

		if (b2Fixture* match = FindNeighbour(fixture, edge->m_vertex2, "Pt1 broken query"))
		{
			const b2EdgeShape* other = EdgeOf(match);
			if (SamePoint(other->m_vertex2, edge->m_vertex2))
			{
				edge->m_vertex3 = other->m_vertex1;
				link.end = true;
			}
			else if (SamePoint(other->m_vertex1, edge->m_vertex2))
			{
				edge->m_vertex3 = other->m_vertex2;
				link.end = true;
			}
			else
			{
				Log("for pt1, This edge ain't right");
			}
		}

		// Ghost vertices only smooth a one-sided edge, and an edge missing one
		// would catch bodies at that end, so it stays two-sided.
		edge->m_oneSided = link.start && link.end;
		edgeLinks.push_back(link);
	}
	// Edges added since the last link join the sight tree too.
	sightTree.Build(body);
}

b2Fixture* Ground::FindNeighbour(b2Fixture* fixture, const b2Vec2& point, const char* brokenText)
{
	MyQueryCallback callback;
	callback.self = fixture;
	const b2Vec2 half(QueryHalfSize, QueryHalfSize);
	b2AABB box;
	box.lowerBound = point - half;
	box.upperBound = point + half;
	GameWorldInstance->world->QueryAABB(&callback, box);

	if (callback.broken || callback.match == nullptr)
	{
		Log(brokenText);
		return nullptr;
	}
	return callback.match;
}

void Ground::Log(const char* text)
{
	LogFile& log = GetLog();
	log.buffer << text;
	log.Commit();
}

bool Ground::MyQueryCallback::ReportFixture(b2Fixture* fixture)
{
	// Other bodies' shapes may lie near an arena corner; only the ground's
	// own edges are neighbours.
	if (fixture == self || fixture->GetBody() != self->GetBody() || fixture->GetType() != b2Shape::e_edge)
	{
		return true;
	}
	const b2EdgeShape* own = EdgeOf(self);
	const b2EdgeShape* other = EdgeOf(fixture);
	const bool shared = SamePoint(own->m_vertex1, other->m_vertex1) || SamePoint(own->m_vertex1, other->m_vertex2) ||
		SamePoint(own->m_vertex2, other->m_vertex1) || SamePoint(own->m_vertex2, other->m_vertex2);
	if (!shared)
	{
		return true;
	}
	if (match == nullptr)
	{
		match = fixture;
	}
	else
	{
		broken = true;
		Log("QUERY GOT BROKEN!");
	}
	return true;
}
