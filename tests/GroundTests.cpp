#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/arena/ArenaLevel.h"
#include "game/arena/Ground.h"
#include "game/objects/GameWorld.h"

namespace
{
constexpr int Open = TileBackground;
constexpr int Solid = TileBlock;
// A code the tile table does not know: solid, and shown as itself.
constexpr int Unknown = 50;

// A physics world published the way the game scene publishes its own, in a
// fresh working folder so that log.txt shows only what this test wrote.
class GroundTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		char pattern[] = "/tmp/ground-test-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		folder = pattern;
		ASSERT_EQ(chdir(folder.c_str()), 0);
		world = std::make_unique<b2World>(b2Vec2(0.0f, -30.0f));
		gameWorld.world = world.get();
		GameWorldInstance = &gameWorld;
	}

	void TearDown() override
	{
		GameWorldInstance = nullptr;
		std::remove((folder + "/log.txt").c_str());
		rmdir(folder.c_str());
	}

	std::string LogText() const
	{
		std::ifstream file(folder + "/log.txt");
		std::stringstream text;
		text << file.rdbuf();
		return text.str();
	}

	static const b2EdgeShape* EdgeOf(b2Fixture* fixture)
	{
		return static_cast<const b2EdgeShape*>(fixture->GetShape());
	}

	// Every edge as its pair of endpoints in tile units, in fixture order.
	std::vector<std::pair<b2Vec2, b2Vec2>> EdgesInTiles() const
	{
		std::vector<std::pair<b2Vec2, b2Vec2>> edges;
		for (b2Fixture* f = ground.body->GetFixtureList(); f != nullptr; f = f->GetNext())
		{
			const b2EdgeShape* e = EdgeOf(f);
			edges.emplace_back(1.0f / Ground::TileSize * e->m_vertex1, 1.0f / Ground::TileSize * e->m_vertex2);
		}
		return edges;
	}

	std::string folder;
	std::unique_ptr<b2World> world;
	GameWorld gameWorld;
	Ground ground;
};

int CellCode(const Ground& ground, const b2Vec2& p)
{
	return ground.TileAt(static_cast<int>(std::floor(p.x / Ground::TileSize)),
		static_cast<int>(std::floor(p.y / Ground::TileSize)));
}

bool IsDiagonal(const b2EdgeShape* e)
{
	return e->m_vertex1.x != e->m_vertex2.x && e->m_vertex1.y != e->m_vertex2.y;
}

bool NearTiles(const b2Vec2& v, float x, float y)
{
	return std::fabs(v.x - x) < 1e-4f && std::fabs(v.y - y) < 1e-4f;
}
} // namespace

TEST_F(GroundTest, BuiltInArenaHasItsEdgesOpenTilesAndNoLog)
{
	ground.Build();

	EXPECT_EQ(ground.width, 80u);
	EXPECT_EQ(ground.height, 90u);
	EXPECT_TRUE(ground.Has(GroundFlag));

	int edges = 0;
	int diagonals = 0;
	for (b2Fixture* f = ground.body->GetFixtureList(); f != nullptr; f = f->GetNext())
	{
		ASSERT_EQ(f->GetType(), b2Shape::e_edge);
		EXPECT_EQ(GameObject::Owner(f), &ground);
		EXPECT_FLOAT_EQ(f->GetFriction(), 1.0f);
		++edges;
		diagonals += IsDiagonal(EdgeOf(f)) ? 1 : 0;
	}
	EXPECT_EQ(edges, 818);
	EXPECT_EQ(diagonals, 214);
	EXPECT_EQ(ground.body->GetType(), b2_staticBody);

	ASSERT_EQ(ground.openTiles.size(), 4282u);
	EXPECT_EQ(std::vector<int>(ground.openTiles.begin(), ground.openTiles.begin() + 5),
		(std::vector<int>{96, 97, 98, 99, 100}));
	int inBand = 0;
	std::set<int> distinct;
	for (int c : ground.openTiles)
	{
		EXPECT_TRUE(ground.IsOpen(ground.TileAt(c % 80, c / 80))) << c;
		inBand += c >= 80 * 16 ? 1 : 0;
		distinct.insert(c);
	}
	EXPECT_EQ(inBand, 3514);
	EXPECT_EQ(distinct.size(), 4282u);

	EXPECT_EQ(LogText(), "");
}

TEST_F(GroundTest, EveryArenaEdgeIsOneSidedFacingTheOpenSideAndLinkedToItsNeighbours)
{
	ground.Build();

	std::set<std::pair<std::pair<float, float>, std::pair<float, float>>> segments;
	for (b2Fixture* f = ground.body->GetFixtureList(); f != nullptr; f = f->GetNext())
	{
		const b2EdgeShape* e = EdgeOf(f);
		segments.insert({{e->m_vertex1.x, e->m_vertex1.y}, {e->m_vertex2.x, e->m_vertex2.y}});
	}
	auto isEdge = [&](const b2Vec2& a, const b2Vec2& b) {
		return segments.count({{a.x, a.y}, {b.x, b.y}}) + segments.count({{b.x, b.y}, {a.x, a.y}}) == 1;
	};

	ASSERT_EQ(ground.GetEdgeLinks().size(), 818u);
	for (const Ground::EdgeLink& link : ground.GetEdgeLinks())
	{
		const b2EdgeShape* e = EdgeOf(link.fixture);
		SCOPED_TRACE(testing::Message() << "edge (" << e->m_vertex1.x << ", " << e->m_vertex1.y << ") to ("
										<< e->m_vertex2.x << ", " << e->m_vertex2.y << ")");
		EXPECT_TRUE(link.start);
		EXPECT_TRUE(link.end);
		EXPECT_TRUE(e->m_oneSided);
		// Each ghost vertex is the far end of a real neighbouring edge.
		EXPECT_TRUE(isEdge(e->m_vertex0, e->m_vertex1));
		EXPECT_TRUE(isEdge(e->m_vertex2, e->m_vertex3));

		// The collision side of a one-sided edge is the right of v1 -> v2.
		const b2Vec2 d = e->m_vertex2 - e->m_vertex1;
		const b2Vec2 right(d.y, -d.x);
		const b2Vec2 middle = 0.5f * (e->m_vertex1 + e->m_vertex2);
		if (IsDiagonal(e))
		{
			// The two open neighbours of a slope tile lie on the right.
			const b2Vec2 sideways(right.x > 0.0f ? Ground::TileSize : -Ground::TileSize, 0.0f);
			const b2Vec2 upDown(0.0f, right.y > 0.0f ? Ground::TileSize : -Ground::TileSize);
			EXPECT_FALSE(ground.IsOpen(CellCode(ground, middle)));
			EXPECT_TRUE(ground.IsOpen(CellCode(ground, middle + sideways)));
			EXPECT_TRUE(ground.IsOpen(CellCode(ground, middle + upDown)));
		}
		else
		{
			const b2Vec2 step = 0.5f / d.Length() * right;
			EXPECT_TRUE(ground.IsOpen(CellCode(ground, middle + step)));
			EXPECT_FALSE(ground.IsOpen(CellCode(ground, middle - step)));
		}
	}
}

TEST_F(GroundTest, DisplayGridShowsTheSheetFrameOfEveryCell)
{
	ground.Build();

	const std::pair<int, int> expected[] = {
		{TileBackground, 68}, {TileBackgroundVariant, 66}, {TileUpperLeftHalf, 104}, {TileUpperRightHalf, 102},
		{TileBlock, 94}, {TileFloorRising, 84}, {TileFloorFalling, 86}};
	for (size_t i = 0; i < ArenaLevel.size(); ++i)
	{
		int wanted = -1;
		for (const auto& [code, frame] : expected)
		{
			if (ArenaLevel[i] == code)
			{
				wanted = frame;
			}
		}
		ASSERT_EQ(ground.displayGrid[i], wanted) << "cell " << i;
	}
	// Stored top row first: the top-left cell is wall, the knight's start
	// cell (37, 1) is background.
	EXPECT_EQ(ground.displayGrid[0], 94);
	EXPECT_EQ(ground.displayGrid[(90 - 1 - 1) * 80 + 37], 68);
}

TEST_F(GroundTest, FloorEdgesLetARollingBallGlideWithoutHopping)
{
	ground.Build();

	// Along the floor of row 1, from x = 16 tiles to x = 60 tiles.
	b2BodyDef def;
	def.type = b2_dynamicBody;
	def.position.Set(20.0f * Ground::TileSize, Ground::TileSize + 1.6f);
	def.fixedRotation = true;
	b2Body* ball = world->CreateBody(&def);
	b2CircleShape circle;
	circle.m_radius = 1.6f;
	ball->CreateFixture(&circle, 1.0f)->SetFriction(0.0f);

	float highest = 0.0f;
	for (int i = 0; i < 240; ++i)
	{
		ball->SetLinearVelocity(b2Vec2(20.0f, ball->GetLinearVelocity().y));
		world->Step(1.0f / 60.0f, 8, 3);
		highest = std::max(highest, std::fabs(ball->GetLinearVelocity().y));
	}
	EXPECT_GT(ball->GetPosition().x, 45.0f * Ground::TileSize);
	EXPECT_LT(highest, 0.05f);
	EXPECT_NEAR(ball->GetPosition().y, Ground::TileSize + 1.6f, 0.02f);
}

TEST_F(GroundTest, OpenCellsBetweenSolidsGetAClosedRingOfEdges)
{
	// The centre cell is open; the codes around it include one the tile
	// table does not know, which counts as solid.
	const int level[] = {
		Solid, Solid, Solid,
		Unknown, Open, Solid,
		Solid, Solid, Solid,
	};
	ground.Build(level, 3, 3);

	EXPECT_EQ(ground.openTiles, std::vector<int>{4});
	const auto edges = EdgesInTiles();
	ASSERT_EQ(edges.size(), 4u);
	for (const Ground::EdgeLink& link : ground.GetEdgeLinks())
	{
		EXPECT_TRUE(link.start && link.end);
		EXPECT_TRUE(EdgeOf(link.fixture)->m_oneSided);
	}
	// Open sides face the hole: each edge runs clockwise around it.
	const b2Vec2 centre(1.5f, 1.5f);
	for (const auto& [a, b] : edges)
	{
		const b2Vec2 d = b - a;
		const b2Vec2 toCentre = centre - 0.5f * (a + b);
		EXPECT_GT(d.y * toCentre.x - d.x * toCentre.y, 0.0f);
	}
	EXPECT_EQ(ground.displayGrid[3], Unknown);
	EXPECT_EQ(ground.displayGrid[4], 68);
	EXPECT_EQ(LogText(), "");
}

TEST_F(GroundTest, ASlopeTileGetsOneDiagonalChainedToTheEdgesBesideIt)
{
	// (1, 1) is open above and to the left: one diagonal instead of its top
	// and left sides, running between the wall above right and the floor
	// below left.
	const int level[] = {
		Open, Open, Solid,
		Open, Solid, Solid,
		Solid, Solid, Solid,
	};
	ground.Build(level, 3, 3);

	const auto edges = EdgesInTiles();
	ASSERT_EQ(edges.size(), 3u);
	// Newest first, each with its open side on the right.
	EXPECT_TRUE(NearTiles(edges[0].first, 2, 3) && NearTiles(edges[0].second, 2, 2));
	EXPECT_TRUE(NearTiles(edges[1].first, 2, 2) && NearTiles(edges[1].second, 1, 1));
	EXPECT_TRUE(NearTiles(edges[2].first, 1, 1) && NearTiles(edges[2].second, 0, 1));

	const auto& links = ground.GetEdgeLinks();
	EXPECT_FALSE(links[0].start);
	EXPECT_TRUE(links[0].end);
	EXPECT_TRUE(links[1].start && links[1].end);
	EXPECT_TRUE(links[2].start);
	EXPECT_FALSE(links[2].end);
	const b2EdgeShape* slope = EdgeOf(links[1].fixture);
	EXPECT_TRUE(slope->m_oneSided);
	EXPECT_EQ(slope->m_vertex0, Ground::Corner(2, 3));
	EXPECT_EQ(slope->m_vertex3, Ground::Corner(0, 1));
	EXPECT_EQ(EdgeOf(links[0].fixture)->m_vertex3, Ground::Corner(1, 1));
	EXPECT_FALSE(EdgeOf(links[0].fixture)->m_oneSided);
	EXPECT_EQ(LogText(), "Pt0 broken queryPt1 broken query");
	EXPECT_EQ(ground.displayGrid[4], 94);
}

TEST_F(GroundTest, EdgeEndsAtTheBorderOfAOneTileWallAreLoggedAndLeftTwoSided)
{
	const int level[] = {
		Open, Solid, Open,
		Open, Solid, Open,
		Open, Solid, Open,
	};
	ground.Build(level, 3, 3);

	ASSERT_EQ(ground.GetEdgeLinks().size(), 6u);
	EXPECT_EQ(ground.openTiles, (std::vector<int>{0, 2, 3, 5, 6, 8}));
	int oneSided = 0;
	for (const Ground::EdgeLink& link : ground.GetEdgeLinks())
	{
		const b2EdgeShape* e = EdgeOf(link.fixture);
		const bool topEnd = e->m_vertex1.y > 9.0f || e->m_vertex2.y > 9.0f;
		const bool bottomEnd = e->m_vertex1.y < 0.1f || e->m_vertex2.y < 0.1f;
		EXPECT_EQ(link.start && link.end, !topEnd && !bottomEnd);
		EXPECT_EQ(e->m_oneSided, link.start && link.end);
		oneSided += e->m_oneSided ? 1 : 0;
	}
	EXPECT_EQ(oneSided, 2);
	// Newest edge first: right side of the top cell (its upper end is the
	// free one), left side of the top cell (its first end), and so on down.
	EXPECT_EQ(LogText(), "Pt1 broken queryPt0 broken queryPt0 broken queryPt1 broken query");
}

TEST_F(GroundTest, ACellOpenAboveAndBelowGetsItsBottomEdgeThenItsTop)
{
	const int level[] = {
		Open, Open, Open,
		Solid, Solid, Solid,
		Open, Open, Open,
	};
	ground.Build(level, 3, 3);
	const auto edges = EdgesInTiles();
	ASSERT_EQ(edges.size(), 6u);
	auto spans = [](const std::pair<b2Vec2, b2Vec2>& edge, float x, float y) {
		return (NearTiles(edge.first, x, y) && NearTiles(edge.second, x + 1, y)) ||
			(NearTiles(edge.second, x, y) && NearTiles(edge.first, x + 1, y));
	};
	// Newest first: the top side of each cell, then its bottom side.
	for (int x = 0; x < 3; ++x)
	{
		EXPECT_TRUE(spans(edges[4 - 2 * x], x, 2)) << x;
		EXPECT_TRUE(spans(edges[5 - 2 * x], x, 1)) << x;
	}
}

TEST_F(GroundTest, RelinkingFindsThreeEdgesAtACornerAndNeighboursThatMissTheQueriedEnd)
{
	// An all-solid level has no edges of its own; place edges by hand.
	const int level[] = {Solid};
	ground.Build(level, 1, 1);
	ASSERT_EQ(ground.body->GetFixtureList(), nullptr);

	auto addEdge = [&](const b2Vec2& a, const b2Vec2& b) {
		b2EdgeShape shape;
		shape.SetTwoSided(a, b);
		b2FixtureDef def;
		def.shape = &shape;
		def.userData = ground.UserData();
		return ground.body->CreateFixture(&def);
	};
	const b2Vec2 hub(10.0f, 10.0f);
	b2Fixture* spokeA = addEdge(hub, b2Vec2(20.0f, 10.0f));
	b2Fixture* spokeB = addEdge(b2Vec2(10.0f, 20.0f), hub);
	b2Fixture* spokeC = addEdge(hub, b2Vec2(0.0f, 10.0f));
	ground.LinkEdges();

	// Newest first: C queries the hub at its first end, B at its second, A
	// at its first; each finds two neighbours there and one too many.
	EXPECT_EQ(LogText(),
		"QUERY GOT BROKEN!Pt0 broken queryPt1 broken query"
		"Pt0 broken queryQUERY GOT BROKEN!Pt1 broken query"
		"QUERY GOT BROKEN!Pt0 broken queryPt1 broken query");
	for (const Ground::EdgeLink& link : ground.GetEdgeLinks())
	{
		EXPECT_FALSE(link.start);
		EXPECT_FALSE(link.end);
		EXPECT_FALSE(EdgeOf(link.fixture)->m_oneSided);
	}
	ground.body->DestroyFixture(spokeA);
	ground.body->DestroyFixture(spokeB);
	ground.body->DestroyFixture(spokeC);

	// Y shares an end with X but stops a hair short of X's other end: the
	// query there finds Y, which does not touch the queried point.
	std::remove((folder + "/log.txt").c_str());
	const b2Vec2 a(30.0f, 30.0f);
	const b2Vec2 b(33.2f, 30.0f);
	const b2Vec2 nearA(30.001f, 30.0f);
	addEdge(a, b);
	addEdge(b, nearA);
	ground.LinkEdges();

	// Newest first: Y links at b, then misses at nearA; X misses at a, then
	// links at b.
	EXPECT_EQ(LogText(), "for pt1, This edge ain't rightfor pt0, This edge ain't right");
	ASSERT_EQ(ground.GetEdgeLinks().size(), 2u);
	const Ground::EdgeLink& y = ground.GetEdgeLinks()[0];
	const Ground::EdgeLink& x = ground.GetEdgeLinks()[1];
	EXPECT_TRUE(y.start);
	EXPECT_FALSE(y.end);
	EXPECT_FALSE(x.start);
	EXPECT_TRUE(x.end);
	EXPECT_EQ(EdgeOf(x.fixture)->m_vertex3, nearA);
}
