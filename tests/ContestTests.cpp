#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL2/SDL_mixer.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/GameGlobals.h"
#include "game/Input.h"
#include "game/PadControls.h"
#include "game/assets/GameSounds.h"
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
		for (GameObject* object : game->GetGameWorld().objects)
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
	const auto& objects = game->GetGameWorld().objects;
	ASSERT_EQ(objects.size(), 7u);
	const int32_t kinds[] = {KindShield, KindOther, KindShield, KindOther, KindShield, KindKnight, KindArcher};
	for (size_t i = 0; i < 7; ++i)
	{
		EXPECT_EQ(objects[i]->kind, kinds[i]) << i;
	}
	EXPECT_EQ(objects[5], game->GetKnight());
	EXPECT_EQ(objects[6], game->GetArcher());
	EXPECT_EQ(static_cast<Knight*>(objects[1])->shield, objects[0]);
	EXPECT_EQ(game->GetKnight()->shield, objects[4]);

	const std::pair<b2Vec2, int32_t> extras[] = {{b2Vec2(152.0f, 4.8f), 10}, {b2Vec2(104.0f, 4.8f), 14}};
	for (int i = 0; i < 2; ++i)
	{
		const Other* other = static_cast<const Other*>(objects[1 + 2 * i]);
		const b2Body* body = other->fixture->GetBody();
		EXPECT_FALSE(body->IsEnabled());
		EXPECT_EQ(body->GetPosition(), extras[i].first);
		EXPECT_EQ(body->GetAngle(), 0.0f);
		EXPECT_EQ(other->tile, extras[i].second);
		EXPECT_EQ(other->control, &game->GetExtraControl());
	}
	EXPECT_EQ(PositionOf(game->GetKnight()), b2Vec2(120.0f, 4.8f));
	EXPECT_EQ(PositionOf(game->GetArcher()), b2Vec2(136.0f, 4.8f));
	EXPECT_TRUE(game->GetKnight()->fixture->GetBody()->IsEnabled());
	EXPECT_EQ(game->GetKnight()->control, &game->GetKnightControl());
	EXPECT_EQ(game->GetArcher()->control, &game->GetArcherControl());

	EXPECT_EQ(GameWorldInstance, &game->GetGameWorld());
	EXPECT_EQ(game->GetGameWorld().world, game->GetWorld());
	EXPECT_EQ(game->GetWorld()->GetGravity(), b2Vec2(0.0f, -30.0f));
	EXPECT_FALSE(game->DrawsWorld());
	EXPECT_EQ(game->GetGround().openTiles.size(), 4282u);
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Waiting);
	EXPECT_FALSE(game->IsPaused(TestApp().Scenes().settings));
	EXPECT_FALSE(game->SwapsPads());
}

TEST_F(ContestTest, EveryNewGameLoadsItsOwnSoundsForItsObjectsAndTheMainMusicPlays)
{
	ASSERT_TRUE(MixerOpen()) << "the tests open the mixer on SDL's dummy driver";
	for (int round = 0; round < 2; ++round)
	{
		SCOPED_TRACE(round);
		const GameSounds& sounds = game->GetSounds();
		std::set<const Mix_Chunk*> chunks;
		for (int effect = 0; effect < GameSounds::EffectCount; ++effect)
		{
			chunks.insert(sounds.Chunk(static_cast<GameSounds::Effect>(effect)));
		}
		EXPECT_EQ(chunks.size(), 10u);
		EXPECT_EQ(chunks.count(nullptr), 0u);
		EXPECT_NE(sounds.MainMusic(), nullptr);
		EXPECT_NE(sounds.WinMusic(), nullptr);
		EXPECT_EQ(GameWorldInstance->sounds, &sounds);
		EXPECT_TRUE(Mix_PlayingMusic());
		game = NewGame();
	}
	EndGame();
	EXPECT_FALSE(Mix_PlayingMusic());
	EXPECT_EQ(GameWorldInstance, nullptr);
}

TEST_F(ContestTest, AWaveKeyStartsTheGameWithItsWaveAimedAtTheFighters)
{
	PressKey('5');
	RunFrame();
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Running);
	EXPECT_EQ(game->GetWaveSize(), 50u);
	EXPECT_EQ(KillCount, 0u);
	const auto zombies = Zombies();
	ASSERT_EQ(zombies.size(), 50u);
	for (const Zombie* zombie : zombies)
	{
		EXPECT_EQ(zombie->targetA.Get(game->GetGameWorld()), game->GetKnight());
		EXPECT_EQ(zombie->targetB.Get(game->GetGameWorld()), game->GetArcher());
	}

	// A later wave key spawns nothing but changes the kills that win.
	PressKey('3');
	KillCount = 29;
	RunFrame();
	EXPECT_EQ(game->GetWaveSize(), 30u);
	EXPECT_EQ(Zombies().size(), 50u);
	EXPECT_EQ(game->GetOverlays() & Contest::WinOverlay, 0);
	KillCount = 30;
	RunFrame();
	EXPECT_NE(game->GetOverlays() & Contest::WinOverlay, 0);
}

TEST_F(ContestTest, TheHordeKeySpawnsAThousandDistinctZombies)
{
	PressKey('h');
	RunFrame();
	// A key start needs no frozen frame.
	EXPECT_EQ(game->GetStepCount(), 1);
	const auto zombies = Zombies();
	ASSERT_EQ(zombies.size(), 1000u);
	EXPECT_EQ(game->GetWaveSize(), 1000u);
	std::set<std::pair<float, float>> places;
	for (const Zombie* zombie : zombies)
	{
		places.insert({PositionOf(zombie).x, PositionOf(zombie).y});
	}
	EXPECT_EQ(places.size(), 1000u);
}

TEST_F(ContestTest, AWaveLargerThanTheFreeTilesOfTheBandStopsAtTheTilesThereAre)
{
	// The built-in band has 3514 open tiles.
	game->RequestWave(4000);
	RunFrame();
	EXPECT_EQ(game->GetWaveSize(), 3514u);
	EXPECT_EQ(Zombies().size(), 3514u);

	// As many kills now win that wave.
	KillCount = 3514;
	RunFrame();
	EXPECT_NE(game->GetOverlays() & Contest::WinOverlay, 0);
}

TEST_F(ContestTest, OperatorKeysDoNothingBeforeTheStart)
{
	for (unsigned char key : {'a', 'k', 'l', 'm', 's', 'q'})
	{
		PressKey(key);
	}
	EXPECT_FALSE(game->IsStarted());
	EXPECT_FALSE(game->GetKnight()->Has(DyingFlag));
	EXPECT_FALSE(game->GetArcher()->Has(DyingFlag));
	EXPECT_FALSE(GodMode);
	EXPECT_FALSE(game->IsPaused(TestApp().Scenes().settings));
	EXPECT_FALSE(game->SwapsPads());
	RunFrame();
	EXPECT_EQ(game->GetOverlays(), Contest::StartOverlay);
	EXPECT_EQ(game->GetGameWorld().objects.size(), 7u);

	PressKey('e');
	RunFrame();
	EXPECT_EQ(game->GetWaveSize(), 1u);
	EXPECT_EQ(Zombies().size(), 1u);
	// Letters count in lower case only.
	for (unsigned char key : {'A', 'K', 'L', 'M', 'S'})
	{
		PressKey(key);
	}
	EXPECT_FALSE(game->GetKnight()->Has(DyingFlag));
	EXPECT_FALSE(game->GetArcher()->Has(DyingFlag));
	EXPECT_FALSE(GodMode || game->IsPaused(TestApp().Scenes().settings) || game->SwapsPads());
	PressKey('l');
	PressKey('m');
	PressKey('s');
	EXPECT_TRUE(GodMode);
	EXPECT_TRUE(game->IsPaused(TestApp().Scenes().settings));
	EXPECT_TRUE(game->SwapsPads());
}

TEST_F(ContestTest, BothFightersDownLoseTheGameWithOneLaugh)
{
	ASSERT_TRUE(MixerOpen());
	PressKey('1');
	RunFrame();
	PressKey('a');
	RunFrame();
	EXPECT_EQ(game->GetOverlays() & Contest::EndOverlay, 0);
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Running);
	PressKey('k');
	RunFrame();
	EXPECT_NE(game->GetOverlays() & Contest::EndOverlay, 0);
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Lost);
	EXPECT_TRUE(Mix_Playing(GameSounds::LaughChannel));
	EXPECT_FALSE(Mix_PlayingMusic());

	// It laughs once: stopped, it stays quiet while the overlay stays.
	Mix_HaltChannel(GameSounds::LaughChannel);
	RunFrames(3);
	EXPECT_NE(game->GetOverlays() & Contest::EndOverlay, 0);
	EXPECT_FALSE(Mix_Playing(GameSounds::LaughChannel));
}

TEST_F(ContestTest, AMissingLaughIsSkipped)
{
	// The build folder's assets but the laugh.
	char pattern[] = "/tmp/contest-nolaugh-XXXXXX";
	const std::string scratch = mkdtemp(pattern);
	char assets[4096];
	ASSERT_NE(getcwd(assets, sizeof assets), nullptr);
	const std::string from = assets;
	const std::string command = "cp -r '" + from + "/Sounds' " + scratch + "/ && rm " + scratch +
		"/Sounds/laugh.wav && ln -s '" + from + "/Textures' '" + from + "/music.mp3' '" + from + "/winmusic.mp3' " +
		scratch + "/";
	ASSERT_EQ(std::system(command.c_str()), 0);
	ASSERT_EQ(chdir(scratch.c_str()), 0);
	game = NewGame();
	ASSERT_EQ(chdir(assets), 0);
	ASSERT_EQ(std::system(("rm -rf " + scratch).c_str()), 0);

	EXPECT_EQ(game->GetSounds().Chunk(GameSounds::Laugh), nullptr);
	Mix_HaltChannel(-1);
	PressKey('1');
	PressKey('a');
	PressKey('k');
	RunFrame();
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Lost);
	EXPECT_FALSE(Mix_Playing(GameSounds::LaughChannel));
}

TEST_F(ContestTest, PauseButtonAtTheStartStartsTheGameRunningAndTheNextPressPauses)
{
	PushButton(0, PauseButton, true);
	RunFrame();
	EXPECT_TRUE(game->IsStarted());
	EXPECT_FALSE(game->IsPaused(TestApp().Scenes().settings));
	EXPECT_EQ(game->GetWaveSize(), 80u);

	// Both pads pressing in one frame toggle once.
	PushButton(0, PauseButton, false);
	RunFrame();
	PushButton(0, PauseButton, true);
	PushButton(1, PauseButton, true);
	RunFrame();
	EXPECT_TRUE(game->IsPaused(TestApp().Scenes().settings));
	const int steps = game->GetStepCount();
	RunFrames(2);
	EXPECT_EQ(game->GetStepCount(), steps);
	// The game's pause is its own, not the shell's that every scene shares.
	EXPECT_EQ(TestApp().Scenes().settings.pause, 0);
	PushButton(0, PauseButton, false);
	PushButton(1, PauseButton, false);
	RunFrame();
	PushButton(0, PauseButton, true);
	RunFrame();
	EXPECT_FALSE(game->IsPaused(TestApp().Scenes().settings));
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
	ASSERT_TRUE(game->IsStarted());
	EXPECT_EQ(game->GetStepCount(), 0);
	EXPECT_EQ(game->GetWaveSize(), 80u);
	// The fighter sees the stick at once but not the held button.
	EXPECT_EQ(game->GetKnightControl().stick, b2Vec2(20.0f, 0.0f));
	EXPECT_FALSE(game->GetKnightControl().held[0]);
	EXPECT_TRUE(game->GetKnightControl().changed[0]);
	for (const Zombie* zombie : Zombies())
	{
		EXPECT_EQ(zombie->fixture->GetBody()->GetLinearVelocity(), b2Vec2(0.0f, 0.0f));
	}

	RunFrame();
	EXPECT_EQ(game->GetStepCount(), 1);
	EXPECT_FALSE(game->GetKnightControl().held[0]);
	EXPECT_FALSE(game->GetKnightControl().changed[0]);
	EXPECT_FALSE(game->GetKnight()->attacking);

	// Pressed again after the start, it acts.
	PushButton(0, 0, false);
	RunFrame();
	PushButton(0, 0, true);
	RunFrame();
	EXPECT_TRUE(game->GetKnightControl().held[0]);
	EXPECT_TRUE(game->GetKnight()->attacking);
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

	const b2Vec2 stick = game->GetKnightControl().stick;
	EXPECT_NEAR(stick.Length(), PadControls::MaxStickLength, 1e-4f);
	EXPECT_NEAR(stick.x, stick.y, 1e-5f);
	EXPECT_GT(stick.x, 0.0f);
	EXPECT_EQ(game->GetArcherControl().stick, b2Vec2(-20.0f, 0.0f));
	EXPECT_TRUE(game->GetArcherControl().held[2]);
	EXPECT_TRUE(game->GetArcherControl().held[3]);
	EXPECT_FALSE(game->GetArcherControl().held[4]);
	EXPECT_FALSE(game->GetKnightControl().held[2]);
	for (int b = 4; b < ControlState::Buttons; ++b)
	{
		EXPECT_FALSE(game->GetArcherControl().changed[b]);
	}
	EXPECT_EQ(game->GetExtraControl().stick, b2Vec2(0.0f, 0.0f));

	PressKey('s');
	RunFrame();
	EXPECT_EQ(game->GetKnightControl().stick, b2Vec2(-20.0f, 0.0f));
	EXPECT_TRUE(game->GetKnightControl().held[2]);
	EXPECT_NEAR(game->GetArcherControl().stick.Length(), PadControls::MaxStickLength, 1e-4f);
}

TEST_F(ContestTest, TheCameraFramesBothFightersAndFollowsTheSurvivor)
{
	b2Body* knightBody = game->GetKnight()->fixture->GetBody();
	b2Body* archerBody = game->GetArcher()->fixture->GetBody();
	knightBody->SetTransform(b2Vec2(40.0f, 4.8f), 0.0f);
	archerBody->SetTransform(b2Vec2(136.0f, 4.8f), 0.0f);
	RunFrame();
	// Before the start the camera snaps: 96 units apart is zoom 2.
	EXPECT_EQ(game->GetCamera().Center(), b2Vec2(88.0f, 4.8f));
	EXPECT_FLOAT_EQ(game->GetCamera().Zoom(), 2.0f);
	EXPECT_FLOAT_EQ(TestApp().GetView().Zoom(), 2.0f);
	EXPECT_EQ(TestApp().Scenes().settings.viewCenter, game->GetCamera().Center());

	knightBody->SetTransform(b2Vec2(131.0f, 4.8f), 0.0f);
	RunFrame();
	EXPECT_FLOAT_EQ(game->GetCamera().Zoom(), 1.0f);

	PressKey('e');
	GodMode = true;
	knightBody->SetTransform(b2Vec2(40.0f, 4.8f), 0.0f);
	PressKey('k');
	RunFrame();
	// Only the archer stands: the camera slides to it, 5 units and 0.1
	// zoom a frame.
	EXPECT_NEAR(game->GetCamera().Target().x, archerBody->GetPosition().x, 0.1f);
	EXPECT_NEAR(game->GetCamera().Target().y, archerBody->GetPosition().y, 0.1f);
	EXPECT_FLOAT_EQ(game->GetCamera().TargetZoom(), 1.0f);
	const b2Vec2 before = game->GetCamera().Center();
	PressKey('a');
	RunFrame();
	EXPECT_EQ(game->GetCamera().Center(), before);
}

TEST_F(ContestTest, TheCameraMovesInLimitedSteps)
{
	b2Body* knightBody = game->GetKnight()->fixture->GetBody();
	b2Body* archerBody = game->GetArcher()->fixture->GetBody();
	PressKey('e');
	RunFrame();
	const b2Vec2 start = game->GetCamera().Center();
	const float startZoom = game->GetCamera().Zoom();

	PressKey('k');
	archerBody->SetTransform(start + b2Vec2(20.0f, 3.0f), 0.0f);
	archerBody->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
	archerBody->SetEnabled(false);
	knightBody->SetEnabled(false);
	RunFrame();
	EXPECT_FLOAT_EQ(game->GetCamera().Center().x, start.x + 5.0f);
	EXPECT_FLOAT_EQ(game->GetCamera().Center().y, start.y + 3.0f);
	EXPECT_FLOAT_EQ(game->GetCamera().Zoom(), startZoom);
	RunFrames(3);
	EXPECT_FLOAT_EQ(game->GetCamera().Center().x, start.x + 20.0f);
}

TEST_F(ContestTest, TheWinComesAtTheLastKillWithTheWinMusicOnceAndADefeatAfterItStaysSilent)
{
	ASSERT_TRUE(MixerOpen());
	TapButton(0, 0);
	ASSERT_EQ(game->GetWaveSize(), 80u);
	GodMode = true;
	KillCount = 79;
	RunFrame();
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Running);
	EXPECT_EQ(game->GetOverlays(), 0);

	KillCount = 80;
	RunFrame();
	EXPECT_EQ(game->GetOverlays(), Contest::WinOverlay);
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Won);
	EXPECT_TRUE(Mix_PlayingMusic());

	// Once: stopped, the win music is not started again.
	Mix_HaltMusic();
	KillCount = 81;
	RunFrames(2);
	EXPECT_EQ(game->GetOverlays(), Contest::WinOverlay);
	EXPECT_FALSE(Mix_PlayingMusic());

	Mix_HaltChannel(-1);
	PressKey('a');
	PressKey('k');
	RunFrame();
	EXPECT_EQ(game->GetOverlays(), Contest::WinOverlay | Contest::EndOverlay);
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Won);
	EXPECT_FALSE(Mix_Playing(GameSounds::LaughChannel));
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
	GameWorldInstance->Add(recorder);
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
	const auto& objects = game->GetGameWorld().objects;
	ASSERT_EQ(std::count(objects.begin(), objects.end(), recorder), 1);
	PressKey('m');
	RunFrame();
	EXPECT_EQ(std::count(objects.begin(), objects.end(), recorder), 0);
}

TEST_F(ContestTest, EachFrameIsDrawnWithTheCameraItMovedTo)
{
	PressKey('e');
	RunFrame();
	b2Body* knightBody = game->GetKnight()->fixture->GetBody();
	b2Body* archerBody = game->GetArcher()->fixture->GetBody();
	ASSERT_EQ(game->GetCamera().Center(), b2Vec2(128.0f, 4.8f));
	// The fighters move apart about the same midpoint: only the zoom changes.
	knightBody->SetEnabled(false);
	archerBody->SetEnabled(false);
	knightBody->SetTransform(b2Vec2(80.0f, 4.8f), 0.0f);
	archerBody->SetTransform(b2Vec2(176.0f, 4.8f), 0.0f);
	RunFrame();
	EXPECT_FLOAT_EQ(game->GetCamera().Zoom(), 1.1f);
	EXPECT_EQ(game->GetCamera().Center(), b2Vec2(128.0f, 4.8f));

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
	EXPECT_EQ(game->GetSounds().MainMusic(), nullptr);
	EXPECT_EQ(game->GetSounds().WinMusic(), nullptr);
	EXPECT_EQ(game->GetSounds().Chunk(GameSounds::Laugh), nullptr);
	EXPECT_EQ(game->GetSounds().Chunk(GameSounds::EnemyHit), nullptr);
	PressKey('2');
	RunFrames(30);
	KillCount = 20;
	RunFrame();
	PressKey('a');
	PressKey('k');
	RunFrame();
	EXPECT_EQ(game->GetPhase(), Contest::Phase::Won);
	EXPECT_EQ(game->GetOverlays(), Contest::WinOverlay | Contest::EndOverlay);
	EndGame();

	ASSERT_NE(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096), -1);
	game = NewGame();
	EXPECT_NE(game->GetSounds().Chunk(GameSounds::Laugh), nullptr);
}
