#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL/SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "framework/Shell.h"
#include "game/Contest.h"
#include "game/GameGlobals.h"
#include "game/Input.h"
#include "game/assets/SoundBank.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Other.h"
#include "game/objects/Proj.h"
#include "game/objects/Shield.h"
#include "game/objects/Zombie.h"
#include "tests/support/GameHarness.h"

namespace
{
class ContestTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		StartGameHarness();
		game = NewGame();
		ASSERT_NE(game, nullptr);
	}

	void TearDown() override
	{
		EndGame();
	}

	static b2Vec2 PositionOf(const Agent* agent)
	{
		return agent->fixture->GetBody()->GetPosition();
	}

	std::vector<Zombie*> Zombies() const
	{
		std::vector<Zombie*> zombies;
		for (GameObject* object : game->gameWorld.objects)
		{
			if (object->kind == KindZombie)
			{
				zombies.push_back(static_cast<Zombie*>(object));
			}
		}
		return zombies;
	}

	// Presses and releases a pad button across two frames.
	void TapButton(uint8_t pad, uint8_t button)
	{
		PushButton(pad, button, true);
		RunFrame();
		PushButton(pad, button, false);
		RunFrame();
	}

	Contest* game = nullptr;
};

bool MixerOpen()
{
	int frequency = 0;
	Uint16 format = 0;
	int channels = 0;
	return Mix_QuerySpec(&frequency, &format, &channels) != 0;
}
} // namespace

TEST_F(ContestTest, ConstructionListsTheFiguresInOrderWithTheTwoExtrasSwitchedOff)
{
	const auto& objects = game->gameWorld.objects;
	ASSERT_EQ(objects.size(), 7u);
	const int32_t kinds[] = {KindShield, KindOther, KindShield, KindOther, KindShield, KindKnight, KindArcher};
	for (size_t i = 0; i < 7; ++i)
	{
		EXPECT_EQ(objects[i]->kind, kinds[i]) << i;
	}
	EXPECT_EQ(objects[5], game->knight);
	EXPECT_EQ(objects[6], game->archer);
	EXPECT_EQ(static_cast<Knight*>(objects[1])->shield, objects[0]);
	EXPECT_EQ(game->knight->shield, objects[4]);

	const std::pair<b2Vec2, int32_t> extras[] = {{b2Vec2(152.0f, 4.8f), 10}, {b2Vec2(104.0f, 4.8f), 14}};
	for (int i = 0; i < 2; ++i)
	{
		const Other* other = static_cast<const Other*>(objects[1 + 2 * i]);
		const b2Body* body = other->fixture->GetBody();
		EXPECT_FALSE(body->IsEnabled());
		EXPECT_EQ(body->GetPosition(), extras[i].first);
		EXPECT_EQ(body->GetAngle(), 0.0f);
		EXPECT_EQ(other->tile, extras[i].second);
		EXPECT_EQ(other->control, &game->extraControl);
	}
	EXPECT_EQ(PositionOf(game->knight), b2Vec2(120.0f, 4.8f));
	EXPECT_EQ(PositionOf(game->archer), b2Vec2(136.0f, 4.8f));
	EXPECT_TRUE(game->knight->fixture->GetBody()->IsEnabled());
	EXPECT_EQ(game->knight->control, &game->knightControl);
	EXPECT_EQ(game->archer->control, &game->archerControl);

	EXPECT_EQ(GameWorldInstance, &game->gameWorld);
	EXPECT_EQ(game->gameWorld.world, game->GetWorld());
	EXPECT_EQ(game->GetWorld()->GetGravity(), b2Vec2(0.0f, -30.0f));
	EXPECT_FALSE(game->DrawsWorld());
	EXPECT_EQ(game->ground.openTiles.size(), 4282u);
	EXPECT_FALSE(game->started);
	EXPECT_FALSE(game->ended);
	EXPECT_FALSE(game->paused);
	EXPECT_FALSE(game->swapPads);
}

TEST_F(ContestTest, SoundsLoadFromIndexZeroInEveryNewGameAndTheMainMusicPlays)
{
	ASSERT_TRUE(MixerOpen()) << "the tests open the mixer on SDL's dummy driver";
	for (int round = 0; round < 2; ++round)
	{
		SCOPED_TRACE(round);
		EXPECT_EQ(soundEnemyHit, 0);
		EXPECT_EQ(soundFireball, 1);
		EXPECT_EQ(soundGhostFix, 2);
		EXPECT_EQ(soundEnemyDeath, 3);
		EXPECT_EQ(soundBounce, 4);
		EXPECT_EQ(soundP1, 5);
		EXPECT_EQ(soundP2, 6);
		EXPECT_EQ(soundMace, 7);
		EXPECT_EQ(soundArrow, 8);
		EXPECT_EQ(game->laughSound, 9);
		EXPECT_EQ(soundBank.Count(), 10);
		EXPECT_NE(game->mainMusic, nullptr);
		EXPECT_NE(game->winMusic, nullptr);
		EXPECT_TRUE(Mix_PlayingMusic());
		game = NewGame();
	}
	EndGame();
	EXPECT_EQ(soundBank.Count(), 0);
	EXPECT_FALSE(Mix_PlayingMusic());
	EXPECT_EQ(GameWorldInstance, nullptr);
}

TEST_F(ContestTest, AWaveKeyStartsTheGameWithZombiesOnDistinctTilesOfTheUpperArena)
{
	PressKey('5');
	EXPECT_TRUE(game->started);
	EXPECT_EQ(game->waveSize, 50u);
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
		EXPECT_TRUE(game->ground.IsOpen(game->ground.TileAt(x, y)));
		tiles.insert({x, y});
		EXPECT_EQ(zombie->targetA.Get(game->gameWorld), game->knight);
		EXPECT_EQ(zombie->targetB.Get(game->gameWorld), game->archer);
	}
	EXPECT_EQ(tiles.size(), 50u);
	// The spawner only reorders the open tiles.
	EXPECT_EQ(std::set<int>(game->ground.openTiles.begin(), game->ground.openTiles.end()).size(), 4282u);

	// A later wave key spawns nothing but changes the kills that win.
	PressKey('3');
	EXPECT_EQ(game->waveSize, 30u);
	EXPECT_EQ(Zombies().size(), 50u);
	KillCount = 29;
	RunFrame();
	EXPECT_EQ(game->overlays & Contest::WinOverlay, 0);
	KillCount = 30;
	RunFrame();
	EXPECT_NE(game->overlays & Contest::WinOverlay, 0);
}

TEST_F(ContestTest, TheHordeKeySpawnsAThousandDistinctZombies)
{
	PressKey('h');
	const auto zombies = Zombies();
	ASSERT_EQ(zombies.size(), 1000u);
	EXPECT_EQ(game->waveSize, 1000u);
	std::set<std::pair<float, float>> places;
	for (const Zombie* zombie : zombies)
	{
		places.insert({PositionOf(zombie).x, PositionOf(zombie).y});
	}
	EXPECT_EQ(places.size(), 1000u);
	// A key start needs no frozen frame.
	RunFrames(3);
	EXPECT_EQ(game->GetStepCount(), 3);
}

TEST_F(ContestTest, AWaveLargerThanTheFreeTilesOfTheBandStopsAtTheTilesThereAre)
{
	// Leave three band tiles and two low ones to draw from.
	auto& tiles = game->ground.openTiles;
	const std::vector<int> few = {96, 80 * 20 + 10, 97, 80 * 30 + 5, 80 * 40 + 40};
	tiles = few;
	game->waveSize = 10;
	game->started = true;
	KillCount = 7;
	game->SpawnWave();

	EXPECT_EQ(game->waveSize, 3u);
	EXPECT_EQ(Zombies().size(), 3u);
	EXPECT_EQ(game->gameWorld.objects.size(), 10u);
	EXPECT_EQ(KillCount, 0u);
	EXPECT_EQ(game->ground.spawnPoolSize, 0);
	EXPECT_EQ(std::multiset<int>(tiles.begin(), tiles.end()), std::multiset<int>(few.begin(), few.end()));

	// Three kills now win that wave.
	KillCount = 3;
	RunFrame();
	EXPECT_NE(game->overlays & Contest::WinOverlay, 0);
}

TEST_F(ContestTest, OperatorKeysDoNothingBeforeTheStart)
{
	for (unsigned char key : {'a', 'k', 'l', 'm', 's', 'q'})
	{
		PressKey(key);
	}
	EXPECT_FALSE(game->started);
	EXPECT_FALSE(game->knight->Has(DyingFlag));
	EXPECT_FALSE(game->archer->Has(DyingFlag));
	EXPECT_FALSE(GodMode);
	EXPECT_FALSE(game->paused);
	EXPECT_FALSE(game->swapPads);
	RunFrame();
	EXPECT_EQ(game->overlays, Contest::StartOverlay);
	EXPECT_EQ(game->gameWorld.objects.size(), 7u);

	PressKey('e');
	EXPECT_EQ(game->waveSize, 1u);
	EXPECT_EQ(Zombies().size(), 1u);
	// Letters count in lower case only.
	for (unsigned char key : {'A', 'K', 'L', 'M', 'S'})
	{
		PressKey(key);
	}
	EXPECT_FALSE(game->knight->Has(DyingFlag));
	EXPECT_FALSE(game->archer->Has(DyingFlag));
	EXPECT_FALSE(GodMode || game->paused || game->swapPads);
	PressKey('l');
	PressKey('m');
	PressKey('s');
	EXPECT_TRUE(GodMode);
	EXPECT_TRUE(game->paused);
	EXPECT_TRUE(game->swapPads);
}

TEST_F(ContestTest, BothFightersDownLoseTheGameWithOneLaugh)
{
	ASSERT_TRUE(MixerOpen());
	PressKey('1');
	RunFrame();
	PressKey('a');
	RunFrame();
	EXPECT_EQ(game->overlays & Contest::EndOverlay, 0);
	EXPECT_FALSE(game->ended);
	PressKey('k');
	RunFrame();
	EXPECT_NE(game->overlays & Contest::EndOverlay, 0);
	EXPECT_TRUE(game->ended);
	EXPECT_TRUE(Mix_Playing(Contest::LaughChannel));
	EXPECT_FALSE(Mix_PlayingMusic());

	// It laughs once: stopped, it stays quiet while the overlay stays.
	Mix_HaltChannel(Contest::LaughChannel);
	RunFrames(3);
	EXPECT_NE(game->overlays & Contest::EndOverlay, 0);
	EXPECT_FALSE(Mix_Playing(Contest::LaughChannel));
}

TEST_F(ContestTest, AMissingLaughIsSkipped)
{
	game->laughSound = -1;
	Mix_HaltChannel(-1);
	PressKey('1');
	PressKey('a');
	PressKey('k');
	RunFrame();
	EXPECT_TRUE(game->ended);
	EXPECT_FALSE(Mix_Playing(Contest::LaughChannel));
}

TEST_F(ContestTest, PauseButtonAtTheStartStartsPausedAndASecondPressResumes)
{
	PushButton(0, Contest::PauseButton, true);
	RunFrame();
	EXPECT_TRUE(game->started);
	EXPECT_TRUE(game->paused);
	EXPECT_EQ(game->waveSize, 80u);
	const int steps = game->GetStepCount();
	RunFrames(2);
	EXPECT_EQ(game->GetStepCount(), steps);
	// The game's pause is its own, not the shell's that every scene shares.
	EXPECT_EQ(settings.pause, 0);

	// Both pads pressing in one frame toggle once.
	PushButton(0, Contest::PauseButton, false);
	RunFrame();
	PushButton(0, Contest::PauseButton, true);
	PushButton(1, Contest::PauseButton, true);
	RunFrame();
	EXPECT_FALSE(game->paused);
	EXPECT_EQ(game->GetStepCount(), steps + 1);
	PressKey('m');
	RunFrame();
	EXPECT_EQ(game->GetStepCount(), steps + 1);
}

TEST_F(ContestTest, TheStartFrameStaysFrozenAndAHeldStartButtonReadsAsReleased)
{
	RunFrame();
	PushButton(0, 0, true);
	PushAxis(0, 0, 20000);
	RunFrame();
	ASSERT_TRUE(game->started);
	EXPECT_EQ(game->GetStepCount(), 0);
	EXPECT_EQ(game->waveSize, 80u);
	// The fighter sees the stick at once but not the held button.
	EXPECT_EQ(game->knightControl.stick, b2Vec2(20.0f, 0.0f));
	EXPECT_FALSE(game->knightControl.held[0]);
	EXPECT_TRUE(game->knightControl.changed[0]);
	for (const Zombie* zombie : Zombies())
	{
		EXPECT_EQ(zombie->fixture->GetBody()->GetLinearVelocity(), b2Vec2(0.0f, 0.0f));
	}

	RunFrame();
	EXPECT_EQ(game->GetStepCount(), 1);
	EXPECT_FALSE(game->knightControl.held[0]);
	EXPECT_FALSE(game->knightControl.changed[0]);
	EXPECT_FALSE(game->knight->attacking);

	// Pressed again after the start, it acts.
	PushButton(0, 0, false);
	RunFrame();
	PushButton(0, 0, true);
	RunFrame();
	EXPECT_TRUE(game->knightControl.held[0]);
	EXPECT_TRUE(game->knight->attacking);
}

TEST_F(ContestTest, PadsDriveTheirFightersWithTheStickClampedAndSwapOnKey)
{
	PressKey('1');
	PushAxis(0, 0, 32767);
	PushAxis(0, 1, 32767);
	PushAxis(1, 0, -20000);
	PushButton(1, 2, true);
	PushButton(1, 3, true);
	PushButton(1, 4, true);
	RunFrame();

	const b2Vec2 stick = game->knightControl.stick;
	EXPECT_NEAR(stick.Length(), Contest::MaxStickLength, 1e-4f);
	EXPECT_NEAR(stick.x, stick.y, 1e-5f);
	EXPECT_GT(stick.x, 0.0f);
	EXPECT_EQ(game->archerControl.stick, b2Vec2(-20.0f, 0.0f));
	EXPECT_TRUE(game->archerControl.held[2]);
	EXPECT_TRUE(game->archerControl.held[3]);
	EXPECT_FALSE(game->archerControl.held[4]);
	EXPECT_FALSE(game->knightControl.held[2]);
	for (int b = 4; b < ControlState::Buttons; ++b)
	{
		EXPECT_FALSE(game->archerControl.changed[b]);
	}
	EXPECT_EQ(game->extraControl.stick, b2Vec2(0.0f, 0.0f));

	PressKey('s');
	RunFrame();
	EXPECT_EQ(game->knightControl.stick, b2Vec2(-20.0f, 0.0f));
	EXPECT_TRUE(game->knightControl.held[2]);
	EXPECT_NEAR(game->archerControl.stick.Length(), Contest::MaxStickLength, 1e-4f);
}

TEST_F(ContestTest, TheCameraFramesBothFightersAndFollowsTheSurvivor)
{
	b2Body* knightBody = game->knight->fixture->GetBody();
	b2Body* archerBody = game->archer->fixture->GetBody();
	knightBody->SetTransform(b2Vec2(40.0f, 4.8f), 0.0f);
	archerBody->SetTransform(b2Vec2(136.0f, 4.8f), 0.0f);
	RunFrame();
	// Before the start the camera snaps: 96 units apart is zoom 2.
	EXPECT_EQ(game->camCenter, b2Vec2(88.0f, 4.8f));
	EXPECT_FLOAT_EQ(game->camZoom, 2.0f);
	EXPECT_FLOAT_EQ(viewZoom, 2.0f);
	EXPECT_EQ(settings.viewCenter, game->camCenter);

	knightBody->SetTransform(b2Vec2(131.0f, 4.8f), 0.0f);
	RunFrame();
	EXPECT_FLOAT_EQ(game->camZoom, 1.0f);

	PressKey('e');
	GodMode = true;
	knightBody->SetTransform(b2Vec2(40.0f, 4.8f), 0.0f);
	game->knight->flags |= DyingFlag;
	RunFrame();
	// Only the archer stands: the camera slides to it, 5 units and 0.1
	// zoom a frame.
	EXPECT_NEAR(game->camTarget.x, archerBody->GetPosition().x, 0.1f);
	EXPECT_NEAR(game->camTarget.y, archerBody->GetPosition().y, 0.1f);
	EXPECT_FLOAT_EQ(game->camTargetZoom, 1.0f);
	const b2Vec2 before = game->camCenter;
	game->archer->flags |= DyingFlag;
	RunFrame();
	EXPECT_EQ(game->camCenter, before);
}

TEST_F(ContestTest, TheCameraMovesInLimitedSteps)
{
	b2Body* knightBody = game->knight->fixture->GetBody();
	b2Body* archerBody = game->archer->fixture->GetBody();
	PressKey('e');
	RunFrame();
	const b2Vec2 start = game->camCenter;
	const float startZoom = game->camZoom;

	game->knight->flags |= DyingFlag;
	archerBody->SetTransform(start + b2Vec2(20.0f, 3.0f), 0.0f);
	archerBody->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
	archerBody->SetEnabled(false);
	knightBody->SetEnabled(false);
	RunFrame();
	EXPECT_FLOAT_EQ(game->camCenter.x, start.x + 5.0f);
	EXPECT_FLOAT_EQ(game->camCenter.y, start.y + 3.0f);
	EXPECT_FLOAT_EQ(game->camZoom, startZoom);
	RunFrames(3);
	EXPECT_FLOAT_EQ(game->camCenter.x, start.x + 20.0f);
}

TEST_F(ContestTest, TheWinComesAtTheLastKillWithTheWinMusicOnceAndADefeatAfterItStaysSilent)
{
	ASSERT_TRUE(MixerOpen());
	TapButton(0, 0);
	ASSERT_EQ(game->waveSize, 80u);
	GodMode = true;
	KillCount = 79;
	RunFrame();
	EXPECT_FALSE(game->ended);
	EXPECT_EQ(game->overlays, 0);

	KillCount = 80;
	RunFrame();
	EXPECT_EQ(game->overlays, Contest::WinOverlay);
	EXPECT_TRUE(game->ended);
	EXPECT_TRUE(Mix_PlayingMusic());

	// Once: stopped, the win music is not started again.
	Mix_HaltMusic();
	KillCount = 81;
	RunFrames(2);
	EXPECT_EQ(game->overlays, Contest::WinOverlay);
	EXPECT_FALSE(Mix_PlayingMusic());

	Mix_HaltChannel(-1);
	PressKey('a');
	PressKey('k');
	RunFrame();
	EXPECT_EQ(game->overlays, Contest::WinOverlay | Contest::EndOverlay);
	EXPECT_FALSE(Mix_Playing(Contest::LaughChannel));
	EXPECT_FALSE(Mix_PlayingMusic());
}

TEST_F(ContestTest, TheFrameHandsEachObjectItsOwnFixtureFirstAndPausedOnlyPreSolves)
{
	PressKey('e');
	// A box resting on the floor next to the knight, owned by an object in
	// the game's list.
	class Recorder : public GameObject
	{
	public:
		explicit Recorder(b2Body* body) : body(body) {}
		~Recorder() override { body->GetWorld()->DestroyBody(body); }
		void Update() override { ++updates; }
		void OnPreSolve(b2Contact*, const b2Manifold*, b2Fixture* self, b2Fixture* other) override
		{
			selfOk = selfOk && GameObject::Owner(self) == this;
			others.insert(GameObject::KindOf(other));
			++calls;
		}
		void OnContact(b2Contact*, b2Fixture* self, b2Fixture*) override
		{
			contactOk = contactOk && GameObject::Owner(self) == this;
			++contacts;
		}
		b2Body* body;
		bool selfOk = true;
		bool contactOk = true;
		int updates = 0;
		int calls = 0;
		int contacts = 0;
		std::set<int32_t> others;
	};
	b2BodyDef def;
	def.type = b2_dynamicBody;
	def.position.Set(100.0f, 4.0f);
	Recorder* recorder = new Recorder(game->GetWorld()->CreateBody(&def));
	b2PolygonShape shape;
	shape.SetAsBox(0.7f, 0.7f);
	b2FixtureDef fixtureDef;
	fixtureDef.shape = &shape;
	fixtureDef.density = 1.0f;
	fixtureDef.userData = recorder->UserData();
	recorder->body->CreateFixture(&fixtureDef);
	game->gameWorld.Add(recorder);
	RunFrames(5);
	EXPECT_EQ(recorder->updates, 5);
	EXPECT_GT(recorder->calls, 0);
	EXPECT_GT(recorder->contacts, 0);
	EXPECT_TRUE(recorder->selfOk);
	EXPECT_TRUE(recorder->contactOk);
	EXPECT_EQ(recorder->others, std::set<int32_t>{KindGround});

	// Paused, pre-solve still runs, but no update, purge or contact.
	PressKey('m');
	recorder->flags |= DeadFlag;
	const int contacts = recorder->contacts;
	const int calls = recorder->calls;
	RunFrames(2);
	EXPECT_EQ(recorder->updates, 5);
	EXPECT_EQ(recorder->contacts, contacts);
	EXPECT_GT(recorder->calls, calls);
	const auto& objects = game->gameWorld.objects;
	ASSERT_EQ(std::count(objects.begin(), objects.end(), recorder), 1);
	PressKey('m');
	RunFrame();
	EXPECT_EQ(std::count(objects.begin(), objects.end(), recorder), 0);
}

TEST_F(ContestTest, EachFrameIsDrawnWithTheCameraItMovedTo)
{
	PressKey('e');
	RunFrame();
	b2Body* knightBody = game->knight->fixture->GetBody();
	b2Body* archerBody = game->archer->fixture->GetBody();
	ASSERT_EQ(game->camCenter, b2Vec2(128.0f, 4.8f));
	// The fighters move apart about the same midpoint: only the zoom changes.
	knightBody->SetEnabled(false);
	archerBody->SetEnabled(false);
	knightBody->SetTransform(b2Vec2(80.0f, 4.8f), 0.0f);
	archerBody->SetTransform(b2Vec2(176.0f, 4.8f), 0.0f);
	RunFrame();
	EXPECT_FLOAT_EQ(game->camZoom, 1.1f);
	EXPECT_EQ(game->camCenter, b2Vec2(128.0f, 4.8f));

	float m[16];
	glGetFloatv(GL_PROJECTION_MATRIX, m);
	const float viewHeight = 2.0f / m[5];
	EXPECT_NEAR(viewHeight, 50.0f * 1.1f, 1e-3f);
	EXPECT_NEAR(-m[12] / m[0], 128.0f, 1e-3f);
	EXPECT_NEAR(-m[13] / m[5], 4.8f, 1e-3f);
}

TEST_F(ContestTest, WithoutAnAudioDeviceTheGameRunsSilently)
{
	EndGame();
	Mix_CloseAudio();
	ASSERT_FALSE(MixerOpen());

	game = NewGame();
	EXPECT_EQ(game->mainMusic, nullptr);
	EXPECT_EQ(game->winMusic, nullptr);
	EXPECT_EQ(game->laughSound, -1);
	EXPECT_EQ(soundEnemyHit, -1);
	PressKey('2');
	RunFrames(30);
	KillCount = 20;
	RunFrame();
	PressKey('a');
	PressKey('k');
	RunFrame();
	EXPECT_TRUE(game->ended);
	EXPECT_EQ(game->overlays, Contest::WinOverlay | Contest::EndOverlay);
	EndGame();

	ASSERT_NE(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096), -1);
	game = NewGame();
	EXPECT_EQ(game->laughSound, 9);
}
