// Feeds the program random sessions in the recorded-session format and
// plays each one back, so every kind of input (any key but Escape, special
// keys, the mouse anywhere, far off the window too, pad events for any pad,
// axis, button and value, panel changes, restarts and scene switches)
// reaches every scene, values at the ends of their ranges included. A
// session passes when the program plays it to its end and exits normally;
// every fourth one carries a line no recording holds and passes when the
// program refuses it. A failing one is kept as its reproducer.
//
//   replayfuzz [--frames N] [--rounds N] [--seed N] [--rows FIRST-LAST] [--keep DIR] CONTEST
//   replayfuzz --soak MINUTES [--seed N] [--keep DIR] CONTEST
//
// Run it from the game's working directory (the build folder), on an X
// display; CONTEST is the program to play with, the sanitizer build in CI.
// --soak plays one game of a thousand zombies for MINUTES of game time under
// random input (no restarts) and samples the program's resident memory
// every 10 seconds.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "framework/input/PadEvent.h"
#include "framework/session/ReplayLog.h"
#include "framework/core/Settings.h"

namespace
{
using Line = InputLine;

constexpr int Rows = 45;
constexpr int DefaultFrames = 300;
constexpr int WindowWidth = 320;
constexpr int WindowHeight = 240;
constexpr int EscapeKey = 27;
constexpr int MaxSpecialKey = 120;
constexpr int RestartKey = 'r';
constexpr int HordeKey = 'h';
constexpr int FramesPerMinute = 3600;
constexpr int SampleSeconds = 10;
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
	int soakMinutes = 0;
};

class SessionMaker
{
public:
	explicit SessionMaker(unsigned seed) : random(seed) {}

	ReplayLog Make(int row, int frames)
	{
		ReplayLog log;
		log.header = {"replayfuzz", row, WindowWidth, WindowHeight, Chance(0.5)};
		AddInput(&log, frames);
		return log;
	}

	// The game with a thousand zombies from the first frame, and no
	// restarts or scene switches after it: one long game.
	ReplayLog MakeSoak(int frames)
	{
		steady = true;
		ReplayLog log;
		log.header = {"replayfuzz", 0, WindowWidth, WindowHeight, false};
		Line horde;
		horde.frame = 1;
		horde.kind = Line::Key;
		horde.code = HordeKey;
		log.lines.push_back(horde);
		AddInput(&log, frames);
		return log;
	}

private:
	void AddInput(ReplayLog* log, int frames)
	{
		for (int frame = 1; frame <= frames; ++frame)
		{
			std::poisson_distribution<int> count(InputsPerFrame);
			for (int n = count(random); n > 0; --n)
			{
				Line line = Input();
				line.frame = frame;
				log->lines.push_back(line);
			}
		}
		Line end;
		end.frame = frames + 1;
		end.kind = Line::End;
		log->lines.push_back(end);
	}

	bool Chance(double p) { return std::bernoulli_distribution(p)(random); }
	int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
	float Spread(float range) { return std::uniform_real_distribution<float>(-range, range)(random); }
	// One end of the range -limit to limit.
	float Edge(float limit) { return Chance(0.5) ? limit : -limit; }

	b2Vec2 Point()
	{
		if (Chance(0.01))
		{
			return b2Vec2(Edge(MaxWorldCoordinate), Edge(MaxWorldCoordinate));
		}
		const float range = Chance(0.1) ? FarRange : NearRange;
		return b2Vec2(Spread(range), Spread(range) + 20.0f);
	}

	Line Input()
	{
		Line line;
		if (!steady && Chance(SceneSwitchChance))
		{
			line.kind = Line::Change;
			line.change = {PanelChange::Scene, "", static_cast<float>(Between(0, Rows - 1))};
			return line;
		}
		if (!steady && Chance(RestartChance))
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
			} while (line.code == EscapeKey || (steady && line.code == RestartKey));
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
			line.point = Chance(0.9) ? Point() : b2Vec2(Edge(MaxViewReach), Edge(MaxViewReach));
			line.point.x = b2Clamp(line.point.x, -MaxViewReach, MaxViewReach);
			line.point.y = b2Clamp(line.point.y, -MaxViewReach, MaxViewReach);
			line.zoom = Chance(0.9) ? std::uniform_real_distribution<float>(0.01f, 40.0f)(random)
									: (Chance(0.5) ? MinViewZoom : MaxViewZoom);
			break;
		case 6:
		case 7:
		{
			line.kind = Line::Pad;
			line.code = Between(0, 2);
			line.pad = Between(0, PadSlots - 1);
			line.element = Chance(0.8) ? Between(0, 7) : Between(0, MaxPadElement);
			line.value = Between(INT16_MIN, INT16_MAX);
			break;
		}
		case 8:
			line.kind = Line::Change;
			do
			{
				line.change = Change();
			} while (steady && line.change.kind == PanelChange::Restart);
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
			return {PanelChange::Setting, field.key, static_cast<float>(Between(field.min, field.max))};
		}
		case 1:
			return {PanelChange::Hz, "", static_cast<float>(Between(static_cast<int>(MinHz), static_cast<int>(MaxHz)))};
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
	bool steady = false;
};

// Lines no recording holds: values beyond what a session can produce, and
// bytes that are not the format. A session with one of them must be refused
// (status 2) before anything plays; a hang or a crash is the fault.
const std::string SpoiledLines[] = {
	"1 shiftdown -0x1.fffffep+127 -0x1.fffffep+127",
	"1 move 0x1p+24 0",
	"1 window 16384 16384",
	"1 window 0 480",
	"1 change setting velocityIterations 1e10",
	"1 change setting velocityIterations 0x1.8p+0",
	"1 change hz 0",
	"1 change item musicVolume inf",
	"1 view 0 20 0",
	"1 view 0 20 -1",
	"1 pad axis 2 0 0",
	"1 pad press 0 256 0",
	"1 key +32",
	"1 key 0x20",
	std::string("1 key 32\0zzz", 13),
	"1 key " + std::string(100000, '7'),
	"1 digest frame -1",
	"1 digest frame +ff",
	"1 digest frame 0x12",
};
// Every this many sessions one carries a spoiled line.
constexpr unsigned SpoiledEvery = 4;

// Puts one of the spoiled lines, picked by seed, right after path's header.
bool Spoil(const std::string& path, unsigned seed)
{
	std::ifstream in(path, std::ios::binary);
	std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	size_t headerEnd = 0;
	for (int line = 0; line < 5; ++line)
	{
		headerEnd = text.find('\n', headerEnd) + 1;
	}
	const size_t count = sizeof(SpoiledLines) / sizeof(SpoiledLines[0]);
	text.insert(headerEnd, SpoiledLines[seed / SpoiledEvery % count] + "\n");
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out << text;
	return static_cast<bool>(out);
}

// Resident memory of process pid in KiB, or -1.
long ResidentKiB(pid_t pid)
{
	std::ifstream status("/proc/" + std::to_string(pid) + "/status");
	std::string word;
	while (status >> word)
	{
		if (word == "VmRSS:")
		{
			long kib = -1;
			status >> kib;
			return kib;
		}
	}
	return -1;
}

// Plays path to its end, writing its digests, with the program's output in
// log: the exit status, or 128 + the signal that ended it. With samples,
// notes the program's resident memory every SampleSeconds.
int Play(const std::string& contest, const std::string& path, const std::string& log,
	std::vector<long>* samples = nullptr)
{
	const pid_t child = fork();
	if (child == 0)
	{
		if (std::freopen(log.c_str(), "w", stdout) == nullptr || dup2(fileno(stdout), STDERR_FILENO) < 0)
		{
			_exit(126);
		}
		setenv("SDL_AUDIODRIVER", "dummy", 0);
		execl(contest.c_str(), contest.c_str(), "--replay", path.c_str(), "--check", "--rewrite",
			static_cast<char*>(nullptr));
		_exit(127);
	}
	if (child < 0)
	{
		return -1;
	}
	int status = 0;
	auto nextSample = std::chrono::steady_clock::now();
	while (waitpid(child, &status, WNOHANG) != child)
	{
		if (samples != nullptr && std::chrono::steady_clock::now() >= nextSample)
		{
			samples->push_back(ResidentKiB(child));
			nextSample += std::chrono::seconds(SampleSeconds);
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// One long game; prints the memory samples and how much it grew after the
// first minute.
int Soak(const Options& options)
{
	const std::string path = options.keep + "/soak-seed" + std::to_string(options.seed) + ".replay";
	if (!SessionMaker(options.seed).MakeSoak(options.soakMinutes * FramesPerMinute).Write(path))
	{
		std::fprintf(stderr, "cannot write %s\n", path.c_str());
		return 2;
	}
	std::vector<long> samples;
	const int status = Play(options.contest, path, path + ".log", &samples);
	std::printf("resident memory every %d s (MiB):", SampleSeconds);
	for (long kib : samples)
	{
		std::printf(" %.1f", kib / 1024.0);
	}
	const size_t minute = 60 / SampleSeconds;
	if (samples.size() > minute + 1)
	{
		long peak = 0;
		for (size_t i = minute; i < samples.size(); ++i)
		{
			peak = std::max(peak, samples[i]);
		}
		std::printf("\ngrowth after the first minute: %.2f MiB", (peak - samples[minute]) / 1024.0);
	}
	std::printf("\nexit status %d; session %s, output %s\n", status, path.c_str(), (path + ".log").c_str());
	return status == 0 ? 0 : 1;
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
		else if (arg == "--soak" && hasValue)
		{
			options->soakMinutes = std::atoi(argv[++i]);
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
			"usage: %s [--frames N] [--rounds N] [--seed N] [--rows FIRST-LAST] [--keep DIR] CONTEST\n"
			"       %s --soak MINUTES [--seed N] [--keep DIR] CONTEST\n",
			argv[0], argv[0]);
		return 2;
	}
	if (options.soakMinutes > 0)
	{
		return Soak(options);
	}
	int failures = 0;
	for (int round = 0; round < options.rounds; ++round)
	{
		for (int row = options.firstRow; row <= options.lastRow; ++row)
		{
			const unsigned seed = options.seed + round * Rows + row;
			const std::string path =
				options.keep + "/fuzz-row" + std::to_string(row) + "-seed" + std::to_string(seed) + ".replay";
			const bool spoiled = seed % SpoiledEvery == 0;
			if (!SessionMaker(seed).Make(row, options.frames).Write(path) || (spoiled && !Spoil(path, seed)))
			{
				std::fprintf(stderr, "cannot write %s\n", path.c_str());
				return 2;
			}
			const std::string log = path + ".log";
			const int status = Play(options.contest, path, log);
			if (status == (spoiled ? 2 : 0))
			{
				std::remove(path.c_str());
				std::remove(log.c_str());
				continue;
			}
			++failures;
			std::printf("row %d, seed %u: the program ended with status %d, not %d; the session is kept in %s, its "
						"output in %s (replay it with --replay FILE --rewrite)\n",
				row, seed, status, spoiled ? 2 : 0, path.c_str(), log.c_str());
			std::fflush(stdout);
		}
	}
	std::printf("%d of %d random sessions failed\n", failures, options.rounds * (options.lastRow - options.firstRow + 1));
	return failures == 0 ? 0 : 1;
}
