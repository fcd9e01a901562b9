// Feeds the program random sessions in the recorded-session format and
// plays each one back, so every kind of input (any key but Escape, special
// keys, the mouse anywhere, far off the window too, pad events for any pad,
// axis, button and value, panel changes, restarts and scene switches)
// reaches every scene. A session passes when the program plays it to its
// end and exits normally; a failing one is kept as its reproducer.
//
//   replayfuzz [--frames N] [--rounds N] [--seed N] [--rows FIRST-LAST] [--keep DIR] CONTEST
//
// Run it from the game's working directory (the build folder), on an X
// display; CONTEST is the program to play with, the sanitizer build in CI.

#include <SDL/SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/ReplayLog.h"
#include "framework/Settings.h"

namespace
{
using Line = ReplayLog::Line;

constexpr int Rows = 45;
constexpr int DefaultFrames = 300;
constexpr int WindowWidth = 320;
constexpr int WindowHeight = 240;
constexpr int EscapeKey = 27;
constexpr int MaxSpecialKey = 120;
constexpr int PadElements = 256;
// Inputs per frame on average, and the share of rare, drastic ones.
constexpr double InputsPerFrame = 1.5;
constexpr double SceneSwitchChance = 0.0005;
constexpr double RestartChance = 0.003;
// Where the mouse goes: mostly near the scenes' bodies, sometimes far off.
constexpr float NearRange = 60.0f;
constexpr float FarRange = 1.0e6f;
const char* const SceneItems[] = {"noHarm", "swapPads", "keyboardPlay", "physicsOverlay", "musicVolume",
	"musicMute", "effectsVolume", "effectsMute", "noSuchItem"};

struct Options
{
	int frames = DefaultFrames;
	int rounds = 1;
	unsigned seed = 1;
	int firstRow = 0;
	int lastRow = Rows - 1;
	std::string keep = "/tmp";
	std::string contest;
};

class SessionMaker
{
public:
	explicit SessionMaker(unsigned seed) : random(seed) {}

	ReplayLog Make(int row, int frames)
	{
		ReplayLog log;
		log.header = {"replayfuzz", row, WindowWidth, WindowHeight, Chance(0.5)};
		for (int frame = 1; frame <= frames; ++frame)
		{
			std::poisson_distribution<int> count(InputsPerFrame);
			for (int n = count(random); n > 0; --n)
			{
				Line line = Input();
				line.frame = frame;
				log.lines.push_back(line);
			}
		}
		Line end;
		end.frame = frames;
		end.kind = Line::End;
		log.lines.push_back(end);
		return log;
	}

private:
	bool Chance(double p) { return std::bernoulli_distribution(p)(random); }
	int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
	float Spread(float range) { return std::uniform_real_distribution<float>(-range, range)(random); }

	b2Vec2 Point()
	{
		const float range = Chance(0.1) ? FarRange : NearRange;
		return b2Vec2(Spread(range), Spread(range) + 20.0f);
	}

	Line Input()
	{
		Line line;
		if (Chance(SceneSwitchChance))
		{
			line.kind = Line::Change;
			line.change = {PanelChange::Scene, "", static_cast<float>(Between(0, Rows - 1))};
			return line;
		}
		if (Chance(RestartChance))
		{
			line.kind = Line::Change;
			line.change = {PanelChange::Restart, "", 0.0f};
			return line;
		}
		switch (Between(0, 9))
		{
		case 0:
		case 1:
			line.kind = Chance(0.5) ? Line::Key : Line::KeyUp;
			do
			{
				line.code = Between(0, 255);
			} while (line.code == EscapeKey);
			break;
		case 2:
			line.kind = Line::Special;
			line.code = Between(0, MaxSpecialKey);
			break;
		case 3:
		case 4:
		{
			const Line::Kind kinds[] = {Line::MouseDown, Line::ShiftMouseDown, Line::MouseUp, Line::MouseMove};
			line.kind = kinds[Between(0, 3)];
			line.point = Point();
			break;
		}
		case 5:
			line.kind = Line::View;
			line.point = Point();
			line.zoom = std::uniform_real_distribution<float>(0.01f, 40.0f)(random);
			break;
		case 6:
		case 7:
		{
			const int types[] = {SDL_JOYAXISMOTION, SDL_JOYBUTTONDOWN, SDL_JOYBUTTONUP};
			line.kind = Line::Pad;
			line.code = types[Between(0, 2)];
			// Mostly the two pads the game reads, but any pad may speak.
			line.pad = Chance(0.8) ? Between(0, 1) : Between(0, PadElements - 1);
			line.element = Chance(0.8) ? Between(0, 7) : Between(0, PadElements - 1);
			line.value = Between(INT16_MIN, INT16_MAX);
			break;
		}
		case 8:
			line.kind = Line::Change;
			line.change = Change();
			break;
		default:
			line.kind = Chance(0.1) ? Line::Window : Line::Release;
			line.width = Between(1, 2 * WindowWidth);
			line.height = Between(1, 2 * WindowHeight);
			break;
		}
		return line;
	}

	PanelChange Change()
	{
		switch (Between(0, 4))
		{
		case 0:
		{
			const bool drawing = Chance(0.5);
			const SettingField& field = drawing ? drawingFields[Between(0, drawingFieldCount - 1)]
												: simulationFields[Between(0, simulationFieldCount - 1)];
			return {PanelChange::Setting, field.key, static_cast<float>(Between(-5, 200))};
		}
		case 1:
			return {PanelChange::Hz, "", static_cast<float>(Between(-100, 1000))};
		case 2:
			return {PanelChange::Pause, "", static_cast<float>(Between(0, 1))};
		case 3:
			return {PanelChange::StepOnce, "", 0.0f};
		default:
		{
			const int items = sizeof(SceneItems) / sizeof(SceneItems[0]);
			return {PanelChange::SceneItem, SceneItems[Between(0, items - 1)], static_cast<float>(Between(-10, 300))};
		}
		}
	}

	std::mt19937 random;
};

// Plays path to its end, writing its digests, with the program's output in
// log: the exit status, or 128 + the signal that ended it.
int Play(const std::string& contest, const std::string& path, const std::string& log)
{
	const pid_t child = fork();
	if (child == 0)
	{
		if (std::freopen(log.c_str(), "w", stdout) == nullptr || dup2(fileno(stdout), STDERR_FILENO) < 0)
		{
			_exit(126);
		}
		setenv("SDL_AUDIODRIVER", "dummy", 0);
		execl(contest.c_str(), contest.c_str(), "--replay", path.c_str(), "--fast", "--rewrite",
			static_cast<char*>(nullptr));
		_exit(127);
	}
	int status = 0;
	if (child < 0 || waitpid(child, &status, 0) != child)
	{
		return -1;
	}
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool ParseRows(const char* text, Options* options)
{
	return std::sscanf(text, "%d-%d", &options->firstRow, &options->lastRow) == 2 && options->firstRow >= 0 &&
		options->firstRow <= options->lastRow && options->lastRow < Rows;
}

bool ParseOptions(int argc, char** argv, Options* options)
{
	for (int i = 1; i < argc; ++i)
	{
		const std::string arg = argv[i];
		const bool hasValue = i + 1 < argc;
		if (arg == "--frames" && hasValue)
		{
			options->frames = std::atoi(argv[++i]);
		}
		else if (arg == "--rounds" && hasValue)
		{
			options->rounds = std::atoi(argv[++i]);
		}
		else if (arg == "--seed" && hasValue)
		{
			options->seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
		}
		else if (arg == "--rows" && hasValue)
		{
			if (!ParseRows(argv[++i], options))
			{
				return false;
			}
		}
		else if (arg == "--keep" && hasValue)
		{
			options->keep = argv[++i];
		}
		else if (arg[0] != '-' && options->contest.empty())
		{
			options->contest = arg;
		}
		else
		{
			return false;
		}
	}
	return !options->contest.empty() && options->frames > 0 && options->rounds > 0;
}
} // namespace

int main(int argc, char** argv)
{
	Options options;
	if (!ParseOptions(argc, argv, &options))
	{
		std::fprintf(stderr,
			"usage: %s [--frames N] [--rounds N] [--seed N] [--rows FIRST-LAST] [--keep DIR] CONTEST\n", argv[0]);
		return 2;
	}
	int failures = 0;
	for (int round = 0; round < options.rounds; ++round)
	{
		for (int row = options.firstRow; row <= options.lastRow; ++row)
		{
			const unsigned seed = options.seed + round * Rows + row;
			const std::string path =
				options.keep + "/fuzz-row" + std::to_string(row) + "-seed" + std::to_string(seed) + ".replay";
			if (!SessionMaker(seed).Make(row, options.frames).Write(path))
			{
				std::fprintf(stderr, "cannot write %s\n", path.c_str());
				return 2;
			}
			const std::string log = path + ".log";
			const int status = Play(options.contest, path, log);
			if (status == 0)
			{
				std::remove(path.c_str());
				std::remove(log.c_str());
				continue;
			}
			++failures;
			std::printf("row %d, seed %u: the program ended with status %d; the session is kept in %s, its "
						"output in %s (replay it with --replay FILE --rewrite)\n",
				row, seed, status, path.c_str(), log.c_str());
			std::fflush(stdout);
		}
	}
	std::printf("%d of %d random sessions failed\n", failures, options.rounds * (options.lastRow - options.firstRow + 1));
	return failures == 0 ? 0 : 1;
}
