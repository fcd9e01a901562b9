// Records the golden replays: sessions played in this process by a bot
// through the program's own input paths and written by the program's own
// recorder, each one a file that the program must play back to the same
// world, bit for bit, in every build.
//
//   replaybot OUTDIR [NAME]
//
// writes OUTDIR/NAME.replay for every session (or the one named). Run it
// from the game's working directory (the build folder, for the music and
// sounds) on an X display.

#include <sys/wait.h>
#include <unistd.h>

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "game/Contest.h"
#include "game/GameGlobals.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "tools/ArenaBot.h"
#include "tools/BotSession.h"
#include "tools/FighterPads.h"

namespace
{
// Small, so the replays draw fast with software GL.
constexpr int WindowWidth = 640;
constexpr int WindowHeight = 360;
constexpr int FramesPerSecond = 60;
// Rows of the registry.
constexpr int GameRow = 0;
constexpr int BridgeRow = 32;
constexpr int PyramidRow = 28;
constexpr int CollisionProcessingRow = 36;
// Tab turns keyboard play on and off.
constexpr unsigned char TabKey = 9;
// Frames before the first key: the game waits on its start picture.
constexpr int StartFrame = 30;
// How long a session goes on after its game is decided.
constexpr int AfterEndFrames = 2 * FramesPerSecond;
// A game not decided by then has gone wrong.
constexpr int MaxGameFrames = 60 * FramesPerSecond * 5;

Contest& Game(const BotSession& session)
{
	return dynamic_cast<Contest&>(session.Scene());
}

void TapKey(BotSession& session, unsigned char key)
{
	session.Key(key);
	session.KeyUp(key);
}

// Frames of the bot's play until done says the game is decided, then a
// little more.
template <typename Done>
void PlayGame(BotSession& session, ArenaBot& bot, FighterPads& pads, Done done)
{
	int endFrame = -1;
	while (endFrame < 0 || session.Frames() < endFrame)
	{
		ArenaBot::Pad held[2];
		bot.Think(Game(session), &held[0], &held[1]);
		pads.Send(held);
		session.RunFrame();
		if (endFrame < 0 && done(Game(session)))
		{
			endFrame = session.Frames() + AfterEndFrames;
		}
		if (session.Frames() > MaxGameFrames)
		{
			throw std::runtime_error("the game was not decided in time");
		}
	}
}

void WaitForStart(BotSession& session)
{
	while (session.Frames() < StartFrame)
	{
		session.RunFrame();
	}
}

void RunFrames(BotSession& session, int count)
{
	for (int i = 0; i < count; ++i)
	{
		session.RunFrame();
	}
}

// Frames of the bot's play for about the given time.
void PlayFor(BotSession& session, ArenaBot& bot, FighterPads& pads, int frames)
{
	const int endFrame = session.Frames() + frames - AfterEndFrames;
	PlayGame(session, bot, pads, [&session, endFrame](const Contest&) { return session.Frames() >= endFrame; });
}

// Starts the wave of the key in no-harm mode.
void StartUnharmed(BotSession& session, unsigned char waveKey)
{
	WaitForStart(session);
	TapKey(session, waveKey);
	session.RunFrame();
	TapKey(session, 'l');
}

// A wave of ten, both fighters on pads and in no-harm mode, climbing from
// their start to the wave and fighting it to the last zombie.
void WonWave(BotSession& session)
{
	StartUnharmed(session, '1');
	ArenaBot bot(Game(session));
	FighterPads pads(session, false);
	PlayGame(session, bot, pads, [](const Contest& game) { return KillCount >= game.GetWaveSize(); });
}

// Keyboard play against a wave of ninety with harm on: the fighters climb
// and fight for two minutes. The bot plays too well to lose by itself, so
// then keyboard play goes off (Tab) and the operator's 'k' and 'a' put
// both fighters down, which loses the game.
void LostOnKeys(BotSession& session)
{
	WaitForStart(session);
	TapKey(session, '9');
	ArenaBot bot(Game(session));
	FighterPads pads(session, true);
	PlayFor(session, bot, pads, 120 * FramesPerSecond);
	pads.Send({ArenaBot::Pad(), ArenaBot::Pad()});
	session.RunFrame();
	TapKey(session, TabKey);
	TapKey(session, 'k');
	RunFrames(session, 30);
	TapKey(session, 'a');
	RunFrames(session, AfterEndFrames);
	const Contest& game = Game(session);
	if (!game.GetKnight()->Has(DyingFlag) || !game.GetArcher()->Has(DyingFlag) || KillCount >= game.GetWaveSize())
	{
		throw std::runtime_error("the game meant to be lost was not");
	}
}

// A minute of the thousand-zombie horde, on pads in no-harm mode.
void HordeMinute(BotSession& session)
{
	StartUnharmed(session, 'h');
	ArenaBot bot(Game(session));
	FighterPads pads(session, false);
	PlayFor(session, bot, pads, 60 * FramesPerSecond);
}

// The dynamic body nearest to the world point p.
b2Vec2 BodyNear(const BotSession& session, const b2Vec2& p)
{
	b2Vec2 nearest = p;
	float nearestDistance = FLT_MAX;
	for (const b2Body* body = session.Scene().GetWorld()->GetBodyList(); body != nullptr; body = body->GetNext())
	{
		const float distance = b2Distance(body->GetPosition(), p);
		if (body->GetType() == b2_dynamicBody && distance < nearestDistance)
		{
			nearest = body->GetPosition();
			nearestDistance = distance;
		}
	}
	return nearest;
}

// Presses the left button on the point, moves it by (dx, dy) pixels over
// the given frames, and lets go.
void Pull(BotSession& session, const b2Vec2& p, int dx, int dy, int frames, bool shift = false)
{
	int x = 0;
	int y = 0;
	session.PixelOf(p, &x, &y);
	session.Press(x, y, shift);
	for (int i = 1; i <= frames; ++i)
	{
		session.Drag(x + dx * i / frames, y + dy * i / frames);
		session.RunFrame();
	}
	session.Release(x + dx, y + dy);
	session.RunFrame();
}

// A demonstration scene handled as a tinkerer would: a body dragged about,
// a bomb launched with Shift and the mouse, one with the space bar, a
// restart, and another drag in the rebuilt world.
void Tinker(BotSession& session, const b2Vec2& grab)
{
	RunFrames(session, 60);
	Pull(session, BodyNear(session, grab), 80, -60, 45);
	RunFrames(session, 60);
	Pull(session, grab + b2Vec2(-8.0f, 6.0f), 60, 10, 20, true);
	RunFrames(session, 90);
	TapKey(session, ' ');
	RunFrames(session, 90);
	TapKey(session, 'r');
	RunFrames(session, 30);
	Pull(session, BodyNear(session, grab), -70, -40, 40);
	RunFrames(session, 120);
}

void PyramidTinkered(BotSession& session)
{
	Tinker(session, b2Vec2(0.0f, 10.0f));
}

void BridgeTinkered(BotSession& session)
{
	Tinker(session, b2Vec2(0.0f, 5.0f));
}

void CollisionProcessingTinkered(BotSession& session)
{
	Tinker(session, b2Vec2(0.0f, 10.0f));
}

struct Session
{
	const char* name;
	int row;
	bool keyboardPlay;
	void (*play)(BotSession& session);
};

const Session Sessions[] = {
	{"won-wave", GameRow, false, WonWave},
	{"lost-on-keys", GameRow, true, LostOnKeys},
	{"horde-minute", GameRow, false, HordeMinute},
	{"pyramid", PyramidRow, false, PyramidTinkered},
	{"bridge", BridgeRow, false, BridgeTinkered},
	{"collision-processing", CollisionProcessingRow, false, CollisionProcessingTinkered},
};

int Record(const Session& session, const std::string& folder, const char* program)
{
	const std::string path = folder + "/" + session.name + ".replay";
	try
	{
		BotSession run({path, session.row, session.keyboardPlay, WindowWidth, WindowHeight}, program);
		session.play(run);
		std::printf("%s: %d frames\n", path.c_str(), run.Frames());
	}
	catch (const std::exception& error)
	{
		std::fprintf(stderr, "%s: %s\n", path.c_str(), error.what());
		return 1;
	}
	return 0;
}
} // namespace

int main(int argc, char** argv)
{
	if (argc < 2 || argc > 3)
	{
		std::fprintf(stderr, "usage: %s OUTDIR [NAME]\n", argv[0]);
		return 2;
	}
	int status = 0;
	bool found = false;
	for (const Session& session : Sessions)
	{
		if (argc == 3 && std::strcmp(argv[2], session.name) != 0)
		{
			continue;
		}
		found = true;
		// The shell, the pads and the recorder are process-wide: one
		// session per process.
		std::fflush(stdout);
		const pid_t child = fork();
		if (child == 0)
		{
			std::exit(Record(session, argv[1], argv[0]));
		}
		int childStatus = 1;
		if (child < 0 || waitpid(child, &childStatus, 0) != child || !WIFEXITED(childStatus) ||
			WEXITSTATUS(childStatus) != 0)
		{
			status = 1;
		}
	}
	if (!found)
	{
		std::fprintf(stderr, "%s: no session named %s\n", argv[0], argv[2]);
		return 2;
	}
	return status;
}
