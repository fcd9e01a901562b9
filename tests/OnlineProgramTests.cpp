// Real programs on the loopback interface playing one game in lockstep,
// directly and through a lossy relay; callers that cannot play are turned
// away, and games that part are caught.
#include <X11/keysym.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <box2d/box2d.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <numeric>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/session/SessionFrames.h"
#include "tests/support/RunningProgram.h"

namespace
{
// The number right after the first phrase at or after from in text; -1
// without one.
int NumberAfter(const std::string& text, const std::string& phrase, std::size_t from = 0)
{
	const std::size_t at = from == std::string::npos ? from : text.find(phrase, from);
	if (at == std::string::npos || at + phrase.size() >= text.size() ||
		!std::isdigit(static_cast<unsigned char>(text[at + phrase.size()])))
	{
		return -1;
	}
	return std::atoi(text.c_str() + at + phrase.size());
}

// A port of this test's own, so parallel runs do not meet.
std::string Port()
{
	return std::to_string(40000 + getpid() % 20000);
}

TEST(OnlineProgram, TwoProgramsPlayInLockstepAndAThirdIsTurnedAway)
{
	RunningProgram host({"--host", "127.0.0.1:" + Port(), "--secret", TestSecret});
	ASSERT_NE(host.WaitForWindow(WindowTitle(), 20.0), 0u) << host.ErrorOutput();
	{
		RunningProgram partner({"--join", "127.0.0.1:" + Port() + "/" + TestSecret});
		std::this_thread::sleep_for(std::chrono::seconds(2));
		RunningProgram third({"--join", "127.0.0.1:" + Port() + "/" + TestSecret});
		EXPECT_EQ(third.WaitForExit(20.0), 2) << third.ErrorOutput();
		EXPECT_NE(third.ErrorOutput().find("already has a partner"), std::string::npos) << third.ErrorOutput();
		std::this_thread::sleep_for(std::chrono::seconds(8));
		EXPECT_NE(partner.ErrorOutput().find("joined 127.0.0.1:" + Port() + " (direct); input delay"), std::string::npos)
			<< partner.ErrorOutput();
		partner.Signal(SIGTERM);
		EXPECT_EQ(partner.WaitForExit(5.0), 128 + SIGTERM);
	}
	// The host notices the silence and goes on alone, having compared a
	// digest a second with the partner and found them all equal.
	std::this_thread::sleep_for(std::chrono::seconds(4));
	const std::string errors = host.ErrorOutput();
	EXPECT_GE(NumberAfter(errors, " (", errors.find("no word from the partner")), 2) << errors;
	EXPECT_EQ(errors.find("differ"), std::string::npos) << errors;
	EXPECT_NE(errors.find("refused 127.0.0.1"), std::string::npos) << errors;
}

// One side of an online game: the real program with a virtual controller
// plugged in through the preloaded pad library, which reads commands from a
// pipe.
class Player
{
public:
	Player(const std::string& name, const std::vector<std::string>& args, const std::string& preloads = "")
		: pipe(MakePipe(name)),
		  program(args, "dummy", 0,
			  {"LD_PRELOAD=" CONTEST_PADPLUG + preloads, "CONTEST_PADPLUG=" + pipe,
				  "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"})
	{
	}
	~Player()
	{
		if (fd >= 0)
		{
			close(fd);
		}
		unlink(pipe.c_str());
	}

	// Plugs a controller in once the program reads the pipe; false if it
	// never does.
	bool Plug(const std::string& padName)
	{
		const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
		while (fd < 0 && std::chrono::steady_clock::now() < deadline)
		{
			fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
			std::this_thread::sleep_for(std::chrono::milliseconds(50));
		}
		Say("plug controller " + padName);
		return fd >= 0;
	}
	void Say(const std::string& command)
	{
		const std::string line = command + "\n";
		if (fd >= 0 && write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
		{
			ADD_FAILURE() << "the pad library stopped reading";
		}
	}
	// A press the game sees: the pad library's state is read once a frame.
	void Press(int button)
	{
		Say("press 0 " + std::to_string(button) + " 1");
		std::this_thread::sleep_for(std::chrono::milliseconds(200));
		Say("press 0 " + std::to_string(button) + " 0");
	}
	RunningProgram& Program() { return program; }

private:
	static std::string MakePipe(const std::string& name)
	{
		const std::string path = "/tmp/contest-online-" + name + "-" + std::to_string(getpid()) + ".fifo";
		unlink(path.c_str());
		EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
		return path;
	}

	std::string pipe;
	int fd = -1;
	RunningProgram program;
};

// Waits for text on the program's stderr, at or after from.
bool WaitForText(const RunningProgram& program, const std::string& text, double seconds, std::size_t from = 0)
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
	while (program.ErrorOutput().find(text, from) == std::string::npos)
	{
		if (std::chrono::steady_clock::now() > deadline)
		{
			return false;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(100));
	}
	return true;
}

std::vector<std::string> ReadLines(const std::string& path)
{
	std::ifstream in(path);
	std::vector<std::string> lines;
	for (std::string line; std::getline(in, line);)
	{
		lines.push_back(line);
	}
	return lines;
}

// The frames a recording has reached: its last digest's.
int RecordedFrames(const std::string& path)
{
	int frames = 0;
	for (const std::string& line : ReadLines(path))
	{
		if (line.find(" digest frame ") != std::string::npos)
		{
			frames = std::stoi(line);
		}
	}
	return frames;
}

// The frames an online game runs in these tests, and the time they may
// take at most: through the relay too, where a lost packet must not hold the
// game (this machine plays about 50 frames a second either way).
constexpr int GameFrames = 3000;
constexpr int GameSeconds = 240;

// Two players who both walk, swing and shoot, the partner through the relay
// when one is given, until the host leaves with Escape: both games end on
// the same frame with every digest equal, both recordings are the same but
// for the side, and the recording plays offline to the same world.
// Both sides ended lockstep after the same frame, and every digest
// matched from the frame the partner caught up to: errors are each side's
// standard error.
void ExpectTheSameEnd(const std::vector<std::string>& errors, int played, int caughtUp)
{
	int lastFrames[2];
	for (int side = 0; side < 2; ++side)
	{
		const std::size_t summary = errors[side].find("left the game after frame ");
		lastFrames[side] = NumberAfter(errors[side], "after frame ", summary);
		ASSERT_GT(lastFrames[side], 0) << errors[side];
		EXPECT_EQ(errors[side].find("differ"), std::string::npos) << errors[side];
		EXPECT_GE(NumberAfter(errors[side], " (", summary), (played - caughtUp) / DigestPeriod - 1)
			<< errors[side];
		std::cout << errors[side];
	}
	EXPECT_EQ(lastFrames[0], lastFrames[1]);
}

// The recordings are the same but for the side, with both fighters in them.
void ExpectTheSameRecording(const std::string recordings[2])
{
	std::vector<std::string> lines[] = {ReadLines(recordings[0]), ReadLines(recordings[1])};
	ASSERT_EQ(lines[0].size(), lines[1].size());
	std::vector<std::string> differing;
	for (std::size_t i = 0; i < lines[0].size(); ++i)
	{
		if (lines[0][i] != lines[1][i])
		{
			differing.push_back(lines[0][i] + " / " + lines[1][i]);
		}
	}
	EXPECT_EQ(differing, std::vector<std::string>{"online host / online partner"});
	const std::string text = std::accumulate(lines[0].begin(), lines[0].end(), std::string(),
		[](std::string all, const std::string& line) { return all + line + "\n"; });
	EXPECT_NE(text.find(" pad press 0 0 0\n"), std::string::npos);
	EXPECT_NE(text.find(" pad press 1 0 0\n"), std::string::npos);
	ASSERT_FALSE(lines[0].empty());
	EXPECT_NE(lines[0].back().find(" end "), std::string::npos) << lines[0].back();
}

// South starts the game; then each walks about, swinging or shooting,
// until the host's recording has frames frames or the time is up: the
// frames it has.
int Play(Player& host, Player& partner, const std::string& recording, int frames)
{
	host.Press(0);
	const auto deadline =
		std::chrono::steady_clock::now() + std::chrono::seconds(GameSeconds);
	for (int step = 0; RecordedFrames(recording) < frames && std::chrono::steady_clock::now() < deadline;
		 ++step)
	{
		const std::string way = std::to_string(step % 4 < 2 ? 24000 : -24000);
		for (Player* player : {&host, &partner})
		{
			player->Say("move 0 " + std::to_string(step % 2) + " " + way);
			player->Say("press 0 0 " + std::to_string(step % 2));
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(150));
	}
	return RecordedFrames(recording);
}

class OnlineGame : public testing::TestWithParam<bool>
{
};

TEST_P(OnlineGame, BothFightersPlayToTheSameWorldAndBothMachinesRecordTheSameGame)
{
	const bool throughRelay = GetParam();
	const int frames = GameFrames;
	const std::string port = Port();
	const std::string relayPort = std::to_string(std::stoi(port) + 1);
	const std::string base = "/tmp/contest-online-" + std::to_string(getpid());
	const std::string recordings[] = {base + "-host.replay", base + "-partner.replay"};
	std::unique_ptr<RunningProgram> relay;
	if (throughRelay)
	{
		// 0-100 ms late, a tenth dropped, a twentieth sent twice.
		relay = std::make_unique<RunningProgram>(std::vector<std::string>{relayPort, port, "--delay", "0-100",
													 "--drop", "0.1", "--duplicate", "0.05"},
			"dummy", 0, std::vector<std::string>{}, CONTEST_UDPRELAY);
	}
	Player host("host", {"--host", "127.0.0.1:" + port, "--secret", TestSecret, "--record", recordings[0]});
	const Window hostWindow = host.Program().WaitForWindow(WindowTitle(), 30.0);
	ASSERT_NE(hostWindow, 0u) << host.Program().ErrorOutput();
	Player partner("partner",
		{"--join", "127.0.0.1:" + (throughRelay ? relayPort : port) + "/" + TestSecret, "--record", recordings[1]});
	ASSERT_TRUE(host.Plug("Knight Pad") && partner.Plug("Archer Pad"));
	ASSERT_TRUE(WaitForText(partner.Program(), "caught up", 60.0)) << partner.Program().ErrorOutput();

	const int played = Play(host, partner, recordings[0], frames);
	ASSERT_GE(played, frames);
	host.Program().SendKey(hostWindow, XK_Escape);
	ASSERT_EQ(host.Program().WaitForExit(30.0), 0) << host.Program().ErrorOutput();
	ASSERT_TRUE(WaitForText(partner.Program(), "the partner left the game", 10.0))
		<< partner.Program().ErrorOutput();
	partner.Program().Signal(SIGTERM);
	EXPECT_EQ(partner.Program().WaitForExit(10.0), 128 + SIGTERM);

	// Both ended lockstep after the same frame, every digest matched from
	// the frame the partner caught up to.
	const int caughtUp = std::max(NumberAfter(partner.Program().ErrorOutput(), "catching up with the host's game: "), 0);
	ExpectTheSameEnd({host.Program().ErrorOutput(), partner.Program().ErrorOutput()}, played, caughtUp);

	// The same recording but for the side, with both fighters in it.
	ExpectTheSameRecording(recordings);

	RunningProgram offline({"--replay", recordings[1], "--check"});
	EXPECT_EQ(offline.WaitForExit(240.0), 0) << offline.Output() << offline.ErrorOutput();
	if (relay)
	{
		relay->Signal(SIGTERM);
		relay->WaitForExit(5.0);
		std::cout << relay->ErrorOutput();
		EXPECT_NE(relay->ErrorOutput().find(" dropped"), std::string::npos);
	}
	for (const std::string& path : recordings)
	{
		unlink(path.c_str());
	}
}

INSTANTIATE_TEST_SUITE_P(OnLoopback, OnlineGame, testing::Values(false, true),
	[](const testing::TestParamInfo<bool>& info) { return info.param ? "ThroughALossyRelay" : "Directly"; });

// Partners whose C library's rand() differs build other games from the
// host's seed: one that joins before the wave starts parts from the host in
// lockstep, one that joins after parts while it catches up, and both
// machines name the frame each time. A partner like the host then catches
// up with the whole game and plays on.
TEST(OnlineProgram, GamesThatPartAreCaughtOnBothMachinesAndALatePartnerCatchesUp)
{
	Player host("host", {"--host", "127.0.0.1:" + Port(), "--secret", TestSecret});
	ASSERT_NE(host.Program().WaitForWindow(WindowTitle(), 30.0), 0u) << host.Program().ErrorOutput();
	ASSERT_TRUE(host.Plug("Knight Pad"));
	const char* const parted = "the two games differ from frame ";
	for (const bool waveStarted : {false, true})
	{
		const std::size_t seen = host.Program().ErrorOutput().size();
		Player astray("astray", {"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, std::string(" ") + CONTEST_OTHERRAND);
		if (!waveStarted)
		{
			// The wave's zombies are placed at random. The pad library is
			// read once a frame, and the host's frames hold while the
			// partner catches up.
			ASSERT_TRUE(WaitForText(host.Program(), "the partner caught up", 30.0, seen))
				<< host.Program().ErrorOutput();
			host.Press(0);
		}
		ASSERT_TRUE(WaitForText(host.Program(), parted, 60.0, seen)) << host.Program().ErrorOutput();
		ASSERT_TRUE(WaitForText(astray.Program(), parted, 10.0)) << astray.Program().ErrorOutput();
		const int hostFrame = NumberAfter(host.Program().ErrorOutput(), parted, seen);
		EXPECT_GE(hostFrame, 0) << host.Program().ErrorOutput();
		EXPECT_EQ(NumberAfter(astray.Program().ErrorOutput(), parted), hostFrame) << astray.Program().ErrorOutput();
		if (waveStarted)
		{
			EXPECT_EQ(astray.Program().ErrorOutput().find("caught up"), std::string::npos);
		}
		astray.Program().Signal(SIGKILL);
	}
	const std::size_t seen = host.Program().ErrorOutput().size();
	RunningProgram next({"--join", "127.0.0.1:" + Port() + "/" + TestSecret});
	ASSERT_TRUE(WaitForText(next, "caught up", 60.0)) << next.ErrorOutput() << host.Program().ErrorOutput();
	ASSERT_TRUE(WaitForText(host.Program(), "the partner caught up", 10.0, seen)) << host.Program().ErrorOutput();
	// Two digests' worth of lockstep, then the partner leaves.
	std::this_thread::sleep_for(std::chrono::seconds(3));
	next.Signal(SIGTERM);
	ASSERT_TRUE(WaitForText(host.Program(), "no word from the partner", 10.0, seen)) << host.Program().ErrorOutput();
	const std::string errors = host.Program().ErrorOutput().substr(seen);
	EXPECT_GE(NumberAfter(errors, " (", errors.find("no word from the partner")), 1) << errors;
	EXPECT_EQ(errors.find("differ"), std::string::npos) << errors;
	// The game it caught up with holds the frames the others parted at.
	EXPECT_GT(NumberAfter(next.ErrorOutput(), "catching up with the host's game: "), DigestPeriod)
		<< next.ErrorOutput() << host.Program().ErrorOutput();
}
} // namespace
