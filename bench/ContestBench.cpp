// Measures the arena game frame by frame: builds the game scene in a real
// window, starts a wave of the given size, drives both pads from a script
// and prints the median and 95th percentile of each part of the frame, the
// frames per second and the peak resident memory.
//
//   xvfb-run -a -s "-screen 0 1280x720x24" ./contestbench [options] [zombies] [frames]
//
//   --band     put the fighters up in the spawn band (at their start no
//              zombie of the band sees them) and keep them there
//   --compare  one game with the fighters at their start, then one up in the
//              band, each in its own process; after every frame each zombie
//              asks for its target through the plain world cast and through
//              its sight path, timed side by side and compared
//   --digest   print a digest of every body's motion in every frame: two
//              builds play the same game exactly when their digests agree;
//              the game runs with no window and nothing drawn
//   --panel    one game with the control panel closed, then one with it
//              open, each in its own process; prints ImGui's own time
//   --record FILE  one game as usual, then one recorded to FILE as
//              --record records the program's sessions, each in its own
//              process

#include <GL/freeglut.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "app/SceneRegistry.h"
#include "framework/input/InputStream.h"
#include "framework/shell/App.h"
#include "framework/core/WorldDigest.h"
#include "game/Contest.h"
#include "game/GameGlobals.h"
#include "game/GameDevices.h"
#include "game/Input.h"
#include "game/arena/Ground.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/SightComparison.h"
#include "tools/VirtualPad.h"

namespace
{
constexpr int DefaultZombies = 80;
constexpr int DefaultFrames = 600;
constexpr int16_t FullStick = 30000;
// Frames the script spends walking one way before it turns.
constexpr int WalkFrames = 90;
constexpr int SwingPeriod = 45;
constexpr int ShotPeriod = 20;
// A ledge of flat floor in the spawn band (tile row and columns) where
// --band puts the fighters; one that drops a tile below it is put back.
constexpr int LedgeRow = 46;
constexpr int KnightLedgeColumn = 16;
constexpr int ArcherLedgeColumn = 19;

struct Options
{
	bool band = false;
	bool compare = false;
	bool digest = false;
	bool panel = false;
	bool panelOpen = false;
	const char* recordPath = nullptr;
	bool recording = false;
	int zombies = DefaultZombies;
	int frames = DefaultFrames;
};

// Both fighters pace to and fro; the knight swings its mace and the archer
// looses quick shots. The pads read by their raw numbers.
void ScriptPads(int frame, VirtualPad& knight, VirtualPad& archer)
{
	const int16_t walk = (frame / WalkFrames) % 2 == 0 ? FullStick : static_cast<int16_t>(-FullStick);
	knight.Move(0, walk);
	archer.Move(0, -walk);
	if (frame % SwingPeriod == 0)
	{
		knight.Press(0, true);
	}
	else if (frame % SwingPeriod == 1)
	{
		knight.Press(0, false);
	}
	if (frame % ShotPeriod == 0)
	{
		archer.Press(0, true);
	}
	else if (frame % ShotPeriod == 2)
	{
		archer.Press(0, false);
	}
}

struct Summary
{
	double median;
	double p95;
};

Summary Summarize(std::vector<float> values)
{
	std::sort(values.begin(), values.end());
	const size_t n = values.size();
	return Summary{values[n / 2], values[std::min(n - 1, (n * 95) / 100)]};
}

b2Vec2 TileCentre(int column, int row)
{
	const float half = 0.5f * Ground::TileSize;
	return b2Vec2(column * Ground::TileSize + half, row * Ground::TileSize + half);
}

// Puts a fighter back on its ledge tile, at rest, when it has dropped a
// tile below it (or on the first frame).
void KeepOnLedge(const Agent& fighter, int column)
{
	b2Body* body = fighter.fixture->GetBody();
	const b2Vec2 spot = TileCentre(column, LedgeRow);
	if (body->GetPosition().y < spot.y - Ground::TileSize)
	{
		body->SetTransform(spot, 0.0f);
		body->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
	}
}

void PrintRow(const char* name, const std::vector<float>& values)
{
	const Summary s = Summarize(values);
	std::printf("%-22s %10.3f %10.3f\n", name, s.median, s.p95);
}

void PrintSight(const SightComparison& sight, const std::vector<float>& worldCast, const std::vector<float>& sightPath)
{
	const SightComparison::Counts& c = sight.GetCounts();
	PrintRow("sight, world cast", worldCast);
	PrintRow("sight, sight path", sightPath);
	const double rays = c.rays > 0 ? static_cast<double>(c.rays) : 1.0;
	std::printf("sight rays %lld: %.1f%% hidden by the sight tree, %.1f%% cast; %lld in sight, %lld with a "
				"shield noted; %lld differ\n",
		static_cast<long long>(c.rays), 100.0 * c.hidden / rays, 100.0 * (c.rays - c.hidden) / rays,
		static_cast<long long>(c.inSight), static_cast<long long>(c.shieldsNoted),
		static_cast<long long>(c.mismatches));
}

// The app the bench runs, for freeglut's reshape handler.
App* benched = nullptr;

// The window's size reaches the view without a word to the input stream.
void Reshape(int w, int h)
{
	benched->Router().Reshape(w, h);
}

void OpenWindow(App& app, char* program)
{
	int argc = 1;
	benched = &app;
	app.OpenWindow(&argc, &program, "contestbench", true);
	// The bench runs the frames itself.
	glutDisplayFunc([] {});
	glutReshapeFunc(Reshape);
	for (int i = 0; i < 10; ++i)
	{
		glutMainLoopEvent();
	}
	Reshape(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
}

// Plays one game as the options say and prints its figures; the exit
// status of the process.
int RunGame(const Options& options, char* program)
{
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	App app(sceneEntries, gameDevices);
	// The digests need only the world: no window, nothing drawn.
	if (options.digest)
	{
		app.GoWindowless();
	}
	app.StartDevices(false, program);
	// Slots 0 and 1, in the order they are plugged in.
	VirtualPad knightPad(VirtualPad::Kind::Raw, "bench pad");
	VirtualPad archerPad(VirtualPad::Kind::Raw, "bench pad");
	if (!options.digest)
	{
		OpenWindow(app, program);
	}

	app.StartScene(0);
	Contest* game = dynamic_cast<Contest*>(app.Scenes().Scene());
	if (game == nullptr)
	{
		std::fprintf(stderr, "registry row 0 is not the game\n");
		return 1;
	}
	// Nobody goes down, so every frame is a frame of the fight.
	GodMode = true;
	app.Router().SetPanelOpen(options.panelOpen);
	std::string error;
	if (options.recording && !app.StartRecording(options.recordPath, 0, false, &error))
	{
		std::fprintf(stderr, "%s\n", error.c_str());
		return 1;
	}
	app.Display();
	// As a wave key would: the first frame of the loop spawns it.
	game->RequestWave(static_cast<uint32_t>(options.zombies));

	std::vector<float> update, step, contacts, drawing, panel, total, worldCast, sightPath;
	SightComparison sight;
	WorldDigest digest;
	b2Timer frameTimer;
	for (int frame = 0; frame < options.frames; ++frame)
	{
		ScriptPads(frame, knightPad, archerPad);
		if (options.band)
		{
			KeepOnLedge(*game->GetKnight(), KnightLedgeColumn);
			KeepOnLedge(*game->GetArcher(), ArcherLedgeColumn);
		}
		frameTimer.Reset();
		app.Display();
		total.push_back(frameTimer.GetMilliseconds());
		update.push_back(game->GetProfile().update);
		step.push_back(game->GetProfile().step);
		contacts.push_back(game->GetProfile().contacts);
		drawing.push_back(game->GetProfile().drawing);
		panel.push_back(app.Panel().LastDrawMilliseconds());
		if (options.compare)
		{
			sight.Compare(game->GetGameWorld().objects);
			worldCast.push_back(sight.GetWorldCastMs());
			sightPath.push_back(sight.GetSightPathMs());
		}
		if (options.digest)
		{
			digest.Add(*game->GetWorld());
		}
	}

	rusage usage{};
	getrusage(RUSAGE_SELF, &usage);
	std::printf("%s", options.recording ? "recorded; " : "");
	std::printf("fighters %s, control panel %s; zombies %u spawned, %d frames, window %d x %d, %u defeated, %zu "
				"objects at the end\n",
		options.band ? "up in the band" : "at their start", options.panelOpen ? "open" : "closed", game->GetWaveSize(),
		options.frames, app.GetView().WindowWidth(), app.GetView().WindowHeight(), KillCount, game->GetGameWorld().objects.size());
	std::printf("%-22s %10s %10s\n", "ms per frame", "median", "95th pct");
	PrintRow("update pass", update);
	PrintRow("world step", step);
	PrintRow("contact forwarding", contacts);
	PrintRow("drawing", drawing);
	if (options.panelOpen)
	{
		PrintRow("control panel (ImGui)", panel);
	}
	PrintRow("whole frame", total);
	const double meanMs = std::accumulate(total.begin(), total.end(), 0.0) / total.size();
	// The shell's frame timer fires every FramePeriodMs: a longer frame
	// misses its turn.
	const long over = std::count_if(total.begin(), total.end(), [](float ms) { return ms > FramePeriodMs; });
	std::printf("frames per second %.1f (mean frame), %ld of %d frames over the %d ms frame period\n",
		1000.0 / meanMs, over, options.frames, FramePeriodMs);
	if (options.compare)
	{
		PrintSight(sight, worldCast, sightPath);
	}
	if (options.digest)
	{
		std::printf("digest %016llx\n", static_cast<unsigned long long>(digest.Value()));
	}
	std::printf("peak memory %.1f MiB\n", usage.ru_maxrss / 1024.0);
	std::fflush(stdout);
	app.End(0);
	return 0;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
	int position = 0;
	for (int i = 1; i < argc; ++i)
	{
		const char* arg = argv[i];
		if (std::strcmp(arg, "--band") == 0)
		{
			options.band = true;
		}
		else if (std::strcmp(arg, "--compare") == 0)
		{
			options.compare = true;
		}
		else if (std::strcmp(arg, "--digest") == 0)
		{
			options.digest = true;
		}
		else if (std::strcmp(arg, "--panel") == 0)
		{
			options.panel = true;
		}
		else if (std::strcmp(arg, "--record") == 0 && i + 1 < argc)
		{
			options.recordPath = argv[++i];
		}
		else if (arg[0] != '-' && position == 0)
		{
			options.zombies = std::atoi(arg);
			++position;
		}
		else if (arg[0] != '-' && position == 1)
		{
			options.frames = std::atoi(arg);
			++position;
		}
		else
		{
			return false;
		}
	}
	return options.zombies >= 0 && options.frames > 0;
}
} // namespace

int main(int argc, char** argv)
{
	Options options;
	if (!ParseOptions(argc, argv, options))
	{
		std::fprintf(stderr, "usage: %s [--band] [--compare] [--digest] [--panel] [--record FILE] [zombies] [frames]\n", argv[0]);
		return 2;
	}
	if (!options.compare && !options.panel && options.recordPath == nullptr)
	{
		return RunGame(options, argv[0]);
	}
	// rand, the game's registry and the kill count are process-wide: one
	// game per process. --compare plays at the start and in the band,
	// --panel with the panel closed and open, --record without and with
	// recording.
	int status = 0;
	for (bool second : {false, true})
	{
		(options.compare ? options.band : (options.panel ? options.panelOpen : options.recording)) = second;
		std::fflush(stdout);
		const pid_t child = fork();
		if (child == 0)
		{
			std::exit(RunGame(options, argv[0]));
		}
		int childStatus = 1;
		if (child < 0 || waitpid(child, &childStatus, 0) != child || !WIFEXITED(childStatus) ||
			WEXITSTATUS(childStatus) != 0)
		{
			status = 1;
		}
		std::printf("\n");
	}
	return status;
}
