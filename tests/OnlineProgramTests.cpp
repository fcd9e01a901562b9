// Real programs on the loopback interface playing one game in lockstep,
// directly and through a lossy relay; callers that cannot play are turned
// away, and games that part are caught.
#include <X11/keysym.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <box2d/box2d.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <enet/enet.h>

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

#include "framework/session/Lockstep.h"
#include "framework/net/OnlineSession.h"
#include "framework/input/PadEvent.h"
#include "framework/session/ReplayPlayer.h"
#include "tests/support/TestApp.h"
#include "game/GameDevices.h"
#include "scenes/Pyramid.h"
#include "tests/support/RunningProgram.h"

namespace
{
std::string Title()
{
	return "Box2D Version " + std::to_string(b2_version.major) + "." + std::to_string(b2_version.minor) + "." +
		std::to_string(b2_version.revision);
}

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
	RunningProgram host({"--host", "127.0.0.1:" + Port()});
	ASSERT_NE(host.WaitForWindow(Title(), 20.0), 0u) << host.ErrorOutput();
	{
		RunningProgram partner({"--join", "127.0.0.1:" + Port()});
		std::this_thread::sleep_for(std::chrono::seconds(2));
		RunningProgram third({"--join", "127.0.0.1:" + Port()});
		EXPECT_EQ(third.WaitForExit(20.0), 2) << third.ErrorOutput();
		EXPECT_NE(third.ErrorOutput().find("already has a partner"), std::string::npos) << third.ErrorOutput();
		std::this_thread::sleep_for(std::chrono::seconds(8));
		EXPECT_NE(partner.ErrorOutput().find("joined 127.0.0.1:" + Port() + "; input delay"), std::string::npos)
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
using Line = InputLine;

Line PadPress(int pad, int button)
{
	Line line;
	line.kind = Line::Pad;
	line.code = static_cast<int>(PadAction::Press);
	line.pad = pad;
	line.element = button;
	return line;
}

Line Key(unsigned char key)
{
	Line line;
	line.kind = Line::Key;
	line.code = key;
	return line;
}

// Both sides' lockstep, their batches handed across by hand: each machine
// gets the same inputs in the same frame and order, its pad 0 playing its
// own fighter and the partner's keys made the second player's.
TEST(Lockstep, BothMachinesGetTheSameInputsInTheSameFrameHostFirst)
{
	Pyramid scene;
	Lockstep host;
	Lockstep partner;
	const int delay = 2;
	gameDevices.SetKeyboardPlay(true);
	for (Lockstep* side : {&host, &partner})
	{
		side->UseRules(TravelRules(&gameDevices));
	}
	host.Start(Lockstep::Side::Host, delay);
	partner.Start(Lockstep::Side::Partner, delay);
	partner.UseKeyMap([](unsigned char key) { return gameDevices.SecondPlayerKey(key); });

	std::vector<std::string> seen[2];
	Lockstep* const sides[] = {&host, &partner};
	for (int frame = 0; frame < 8; ++frame)
	{
		if (frame == 1)
		{
			EXPECT_FALSE(host.Offered(Key('d')));
			EXPECT_FALSE(partner.Offered(Key('d')));
			partner.Offered(PadPress(0, 2));
			partner.Offered(PadPress(1, 3));
			host.Offered(PadPress(0, 1));
		}
		for (int side = 0; side < 2; ++side)
		{
			ASSERT_TRUE(sides[side]->FrameReady()) << frame;
			sides[side]->FrameBegins(scene);
			for (InputChannel channel : {InputChannel::Shell, InputChannel::Pads})
			{
				while (const Line* line = sides[side]->Next(channel))
				{
					seen[side].push_back(std::to_string(frame) + " " + ReplayLog::Format(*line));
				}
			}
			sides[side]->FrameEnds(scene);
		}
		// Every other packet is lost: the next carries its batches too.
		if (frame % 2 == 0)
		{
			continue;
		}
		std::string error;
		for (const Lockstep::Batch& batch : host.Unacknowledged())
		{
			ASSERT_TRUE(partner.Receive(batch, &error)) << error;
		}
		for (const Lockstep::Batch& batch : partner.Unacknowledged())
		{
			ASSERT_TRUE(host.Receive(batch, &error)) << error;
		}
		ASSERT_TRUE(host.Acknowledge(partner.LastReceived(), &error)) << error;
		ASSERT_TRUE(partner.Acknowledge(host.LastReceived(), &error)) << error;
		EXPECT_TRUE(host.Unacknowledged().empty());
	}
	const std::vector<std::string> expected = {"3 3 key 100\n", "3 3 key 108\n", "3 3 pad press 0 1 0\n",
		"3 3 pad press 1 2 0\n"};
	EXPECT_EQ(seen[0], expected);
	EXPECT_EQ(seen[1], expected);
	EXPECT_EQ(host.FramesWaited(), 0);

	// A frame whose partner's batch is missing waits; a batch heard before
	// changes nothing; one out of turn or driving the wrong pad is refused,
	// and so is an acknowledgement of a batch never sent.
	for (int frame = 8; frame < 10; ++frame)
	{
		ASSERT_TRUE(host.FrameReady());
		host.FrameBegins(scene);
		host.FrameEnds(scene);
	}
	EXPECT_FALSE(host.FrameReady());
	EXPECT_EQ(host.FramesWaited(), 1);
	std::string error;
	EXPECT_TRUE(host.Receive({5, {PadPress(0, 0)}}, &error)) << error;
	Lockstep::Batch late;
	late.frame = 20;
	EXPECT_FALSE(host.Receive(late, &error));
	EXPECT_FALSE(host.Acknowledge(12, &error));
	Lockstep::Batch wrongPad;
	wrongPad.frame = 10;
	wrongPad.lines = {PadPress(0, 0)};
	EXPECT_FALSE(host.Receive(wrongPad, &error));
	EXPECT_EQ(error, "the other player's pad: \"10 pad press 0 0 0\"");
}

// Both players leave at the same moment, one a frame ahead of the other:
// each hears the other's goodbye after sending its own, and both games end
// on the earlier last frame, with every input that frame needs.
TEST(Lockstep, PlayersWhoLeaveTogetherEndOnTheSameFrame)
{
	Pyramid scene;
	Lockstep host;
	Lockstep partner;
	host.Start(Lockstep::Side::Host, 2);
	partner.Start(Lockstep::Side::Partner, 2);
	Lockstep* const sides[] = {&host, &partner};
	std::string error;
	const auto exchange = [&] {
		for (int side = 0; side < 2; ++side)
		{
			Lockstep& from = *sides[side];
			Lockstep& to = *sides[1 - side];
			for (const Lockstep::Batch& batch : from.Unacknowledged())
			{
				ASSERT_TRUE(to.Receive(batch, &error)) << error;
			}
			ASSERT_TRUE(from.Acknowledge(to.LastReceived(), &error)) << error;
		}
	};
	const auto run = [&](Lockstep& side) {
		side.FrameBegins(scene);
		side.FrameEnds(scene);
	};
	for (int frame = 0; frame < 5; ++frame)
	{
		run(host);
		run(partner);
		exchange();
	}
	run(host);
	const int hostLast = host.Finish();
	const int partnerLast = partner.Finish();
	ASSERT_TRUE(host.PartnerFinishes(partnerLast, &error)) << error;
	ASSERT_TRUE(partner.PartnerFinishes(hostLast, &error)) << error;
	for (int turn = 0; turn < 10; ++turn)
	{
		exchange();
		for (Lockstep* side : sides)
		{
			if (side->FrameReady())
			{
				run(*side);
			}
		}
	}
	EXPECT_EQ(partnerLast, hostLast - 1);
	for (Lockstep* side : sides)
	{
		EXPECT_TRUE(side->IsOver());
		EXPECT_EQ(side->Frame(), partnerLast + 1);
		EXPECT_TRUE(side->PartnerHasAll());
		EXPECT_TRUE(side->HasAllFromPartner());
	}
}

// Hears what a recording of the session would hold.
struct Transcript : InputListener
{
	void Heard(const Line& input) override { lines.push_back(ReplayLog::Format(input)); }
	void SceneRestarts(const Test&) override {}
	void FrameBegins(const Test&) override {}
	void FrameEnds(const Test&) override {}
	void SessionEnds(const Test&) override {}
	std::vector<std::string> lines;
};

Line Change(PanelChange::Kind kind, const char* key, bool local)
{
	Line line;
	line.kind = Line::Change;
	line.change = {kind, key, 1.0f, local};
	return line;
}

// What only shows or sounds on one machine is carried out there at once
// and recorded nowhere; the partner's panel cannot change the shared game,
// and nobody can switch scenes.
TEST(Lockstep, APanelChangeIsLocalSharedOrRefusedByWhatItChangesAndWho)
{
	for (const Lockstep::Side side : {Lockstep::Side::Host, Lockstep::Side::Partner})
	{
		Lockstep lockstep;
		lockstep.Start(side, 2);
		InputStream stream;
		Transcript recording;
		stream.SetSource(&lockstep);
		stream.AddListener(&recording);
		EXPECT_TRUE(stream.Offer(Change(PanelChange::Setting, "drawShapes", true)));
		EXPECT_TRUE(stream.Offer(Change(PanelChange::SceneItem, "musicVolume", true)));
		EXPECT_FALSE(stream.Offer(Change(PanelChange::Scene, "", false)));
		EXPECT_FALSE(stream.Offer(Change(PanelChange::Setting, "warmStarting", false)));
		EXPECT_TRUE(recording.lines.empty()) << recording.lines.front();
		Pyramid scene;
		std::string error;
		ASSERT_TRUE(lockstep.Receive({2, {}}, &error)) << error;
		for (int frame = 0; frame < 3; ++frame)
		{
			ASSERT_TRUE(stream.FrameReady());
			stream.BeginFrame(scene);
			while (stream.Next(InputChannel::Shell) != nullptr)
			{
			}
			stream.EndFrame(scene);
		}
		const std::vector<std::string> shared = {"2 change setting warmStarting 0x1p+0\n"};
		EXPECT_EQ(recording.lines, side == Lockstep::Side::Host ? shared : std::vector<std::string>{});
	}
}

// A partner joining a game under way plays the host's game to the frame it
// was handed, but not the host's camera, window or panel switches, and
// stops without a word; lockstep then runs from that frame once the host
// lets it.
TEST(Lockstep, ACatchUpPlaysTheSharedInputsToItsFrameAndLockstepGoesOnFromThere)
{
	ReplayLog game;
	Line view;
	view.kind = Line::View;
	view.frame = 1;
	Line window;
	window.kind = Line::Window;
	window.frame = 2;
	window.width = 320;
	window.height = 200;
	Line key = Key('d');
	key.frame = 2;
	Line drawing = Change(PanelChange::Setting, "drawShapes", true);
	drawing.frame = 3;
	game.lines = {view, window, key, drawing};
	ReplayPlayer catchUp;
	catchUp.CatchUp(game, 3);
	InputStream stream;
	Transcript heard;
	stream.SetSource(&catchUp);
	stream.AddListener(&heard);
	Pyramid scene;
	int frames = 0;
	for (; !stream.IsLive() && frames < 10; ++frames)
	{
		stream.BeginFrame(scene);
		while (stream.Next(InputChannel::Shell) != nullptr)
		{
		}
		stream.EndFrame(scene);
	}
	EXPECT_EQ(frames, 3);
	EXPECT_EQ(heard.lines, std::vector<std::string>{"2 key 100\n"});
	EXPECT_EQ(catchUp.FirstMismatchFrame(), -1);

	Lockstep lockstep;
	lockstep.Start(Lockstep::Side::Partner, 2, frames);
	lockstep.Hold(true);
	EXPECT_FALSE(lockstep.FrameReady());
	lockstep.Hold(false);
	for (int frame = 3; frame < 5; ++frame)
	{
		ASSERT_TRUE(lockstep.FrameReady()) << frame;
		lockstep.FrameBegins(scene);
		lockstep.FrameEnds(scene);
	}
	EXPECT_FALSE(lockstep.FrameReady());
	EXPECT_EQ(lockstep.Unacknowledged().front().frame, 5);
	EXPECT_EQ(lockstep.LastReceived(), 4);
}

// A lie told in reply to welcome: D is the first frame the partner's
// inputs act in, A the frame before.
std::string Told(const std::string& lie, const std::string& welcome)
{
	std::istringstream words(welcome);
	std::string kind;
	unsigned seed = 0;
	int delay = 0;
	int frames = 0;
	words >> kind >> seed >> delay >> frames;
	const int first = frames + delay;
	std::string told;
	for (const char c : lie)
	{
		told += c == 'D' ? std::to_string(first) : c == 'A' ? std::to_string(first - 1) : std::string(1, c);
	}
	return told;
}

// A caller that speaks the protocol, then lies: the host drops it with a
// line on stderr and takes the next partner. Random datagrams at its port
// change nothing.
TEST(OnlineProgram, AMisbehavingPartnerIsDroppedAndTheHostWaitsForTheNext)
{
	RunningProgram host({"--host", "127.0.0.1:" + Port()});
	ASSERT_NE(host.WaitForWindow(Title(), 20.0), 0u) << host.ErrorOutput();
	ASSERT_EQ(enet_initialize(), 0);
	ENetAddress address{};
	enet_address_set_host(&address, "127.0.0.1");
	address.port = static_cast<enet_uint16>(std::stoi(Port()));

	// Noise first, from a plain socket.
	ENetSocket noise = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
	std::srand(7);
	for (int i = 0; i < 200; ++i)
	{
		char bytes[256];
		for (char& byte : bytes)
		{
			byte = static_cast<char>(std::rand());
		}
		ENetBuffer buffer{bytes, static_cast<size_t>(1 + std::rand() % 256)};
		enet_socket_send(noise, &address, &buffer, 1);
	}
	enet_socket_destroy(noise);

	// The lies, for the first frame the partner's inputs act in (D), having
	// heard nothing (A, the frame before).
	const char* const lies[] = {"frames A D 1\nD pad press 0 0 0\n", "frames A D 1\nD pad press 1 9999 0\n",
		"frames A 999999 1\n", "frames A D 1\nD nonsense\n", "frames A D 1\n0 pad press 1 0 0\n",
		"frames 999999 D 0\n", "digest\n58 digest frame 0\n", "welcome 1 1\n", "bye 999999\n",
		"progress 99999999\n"};
	for (const char* lie : lies)
	{
		ENetHost* client = enet_host_create(nullptr, 1, 1, 0, 0);
		ENetPeer* peer = enet_host_connect(client, &address, 1, 0);
		bool dropped = false;
		ENetEvent event;
		const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
		while (!dropped && std::chrono::steady_clock::now() < deadline)
		{
			if (enet_host_service(client, &event, 50) <= 0)
			{
				continue;
			}
			if (event.type == ENET_EVENT_TYPE_RECEIVE)
			{
				const std::string text(reinterpret_cast<char*>(event.packet->data), event.packet->dataLength);
				enet_packet_destroy(event.packet);
				const std::string reply = text.rfind("probe", 0) == 0
					? "hello " + std::to_string(OnlineSession::ProtocolVersion) + " " + ContestVersion + "\n"
					: text.rfind("welcome", 0) == 0 ? Told(lie, text)
													: "";
				if (!reply.empty())
				{
					enet_peer_send(peer, 0, enet_packet_create(reply.data(), reply.size(), ENET_PACKET_FLAG_RELIABLE));
				}
			}
			dropped = event.type == ENET_EVENT_TYPE_DISCONNECT;
		}
		EXPECT_TRUE(dropped) << lie;
		enet_host_destroy(client);
	}
	enet_deinitialize();
	const std::string errors = host.ErrorOutput();
	EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 20) << errors;
	EXPECT_NE(errors.find("a bad packet (the other player's pad: "), std::string::npos) << errors;
	EXPECT_NE(errors.find("a packet out of turn"), std::string::npos) << errors;
	EXPECT_NE(errors.find("a goodbye after frame 999999"), std::string::npos) << errors;
	EXPECT_EQ(host.WaitForExit(0.5), -1) << "the host is still running";
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
	Player host("host", {"--host", "127.0.0.1:" + port, "--record", recordings[0]});
	const Window hostWindow = host.Program().WaitForWindow(Title(), 30.0);
	ASSERT_NE(hostWindow, 0u) << host.Program().ErrorOutput();
	Player partner("partner",
		{"--join", "127.0.0.1:" + (throughRelay ? relayPort : port), "--record", recordings[1]});
	ASSERT_TRUE(host.Plug("Knight Pad") && partner.Plug("Archer Pad"));
	ASSERT_TRUE(WaitForText(partner.Program(), "caught up", 60.0)) << partner.Program().ErrorOutput();

	// South starts the game; then each walks about, swinging or shooting.
	host.Press(0);
	const auto deadline =
		std::chrono::steady_clock::now() + std::chrono::seconds(GameSeconds);
	for (int step = 0; RecordedFrames(recordings[0]) < frames && std::chrono::steady_clock::now() < deadline;
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
	const int played = RecordedFrames(recordings[0]);
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
	int lastFrames[2];
	const std::string errors[] = {host.Program().ErrorOutput(), partner.Program().ErrorOutput()};
	for (int side = 0; side < 2; ++side)
	{
		const std::size_t summary = errors[side].find("left the game after frame ");
		lastFrames[side] = NumberAfter(errors[side], "after frame ", summary);
		ASSERT_GT(lastFrames[side], 0) << errors[side];
		EXPECT_EQ(errors[side].find("differ"), std::string::npos) << errors[side];
		EXPECT_GE(NumberAfter(errors[side], " (", summary), (played - caughtUp) / Lockstep::DigestPeriod - 1)
			<< errors[side];
		std::cout << errors[side];
	}
	EXPECT_EQ(lastFrames[0], lastFrames[1]);

	// The same recording but for the side, with both fighters in it.
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

	RunningProgram offline({"--replay", recordings[1], "--fast"});
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
	Player host("host", {"--host", "127.0.0.1:" + Port()});
	ASSERT_NE(host.Program().WaitForWindow(Title(), 30.0), 0u) << host.Program().ErrorOutput();
	ASSERT_TRUE(host.Plug("Knight Pad"));
	const char* const parted = "the two games differ from frame ";
	for (const bool waveStarted : {false, true})
	{
		const std::size_t seen = host.Program().ErrorOutput().size();
		Player astray("astray", {"--join", "127.0.0.1:" + Port()}, std::string(" ") + CONTEST_OTHERRAND);
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
	RunningProgram next({"--join", "127.0.0.1:" + Port()});
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
	EXPECT_GT(NumberAfter(next.ErrorOutput(), "catching up with the host's game: "), Lockstep::DigestPeriod)
		<< next.ErrorOutput() << host.Program().ErrorOutput();
}

// Programs of two versions meet: each side says which versions met, and the
// joiner leaves with status 2.
TEST(OnlineProgram, ProgramsOfDifferentVersionsRefuseToPlayAndSayWhich)
{
	ASSERT_EQ(enet_initialize(), 0);
	ENetAddress address{ENET_HOST_ANY, static_cast<enet_uint16>(std::stoi(Port()))};
	ENetHost* oldHost = enet_host_create(&address, 1, 1, 0, 0);
	ASSERT_NE(oldHost, nullptr);
	RunningProgram joiner({"--join", "127.0.0.1:" + Port()});
	std::string hello;
	ENetEvent event;
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	while (hello.empty() && std::chrono::steady_clock::now() < deadline)
	{
		if (enet_host_service(oldHost, &event, 50) <= 0)
		{
			continue;
		}
		const std::string say = event.type == ENET_EVENT_TYPE_CONNECT ? "probe\n" : "refuse 1 0.9-old\n";
		if (event.type == ENET_EVENT_TYPE_RECEIVE)
		{
			hello.assign(reinterpret_cast<char*>(event.packet->data), event.packet->dataLength);
			enet_packet_destroy(event.packet);
		}
		enet_peer_send(event.peer, 0, enet_packet_create(say.data(), say.size(), ENET_PACKET_FLAG_RELIABLE));
	}
	for (int i = 0; i < 10; ++i)
	{
		enet_host_service(oldHost, &event, 50);
	}
	EXPECT_EQ(hello, "hello " + std::to_string(OnlineSession::ProtocolVersion) + " " + ContestVersion + "\n");
	EXPECT_EQ(joiner.WaitForExit(20.0), 2) << joiner.ErrorOutput();
	EXPECT_NE(joiner.ErrorOutput().find("the host's program (protocol 1, version \"0.9-old\") met this one"),
		std::string::npos)
		<< joiner.ErrorOutput();
	enet_host_destroy(oldHost);

	// And the other way round: a real host refuses an old joiner.
	RunningProgram host({"--host", "127.0.0.1:" + Port()});
	ASSERT_NE(host.WaitForWindow(Title(), 30.0), 0u) << host.ErrorOutput();
	ENetHost* oldJoiner = enet_host_create(nullptr, 1, 1, 0, 0);
	enet_address_set_host(&address, "127.0.0.1");
	enet_host_connect(oldJoiner, &address, 1, 0);
	std::string answer;
	const auto later = std::chrono::steady_clock::now() + std::chrono::seconds(20);
	while (answer.rfind("refuse", 0) != 0 && std::chrono::steady_clock::now() < later)
	{
		if (enet_host_service(oldJoiner, &event, 50) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE)
		{
			answer.assign(reinterpret_cast<char*>(event.packet->data), event.packet->dataLength);
			enet_packet_destroy(event.packet);
			const std::string old = "hello 1 0.9-old\n";
			enet_peer_send(event.peer, 0, enet_packet_create(old.data(), old.size(), ENET_PACKET_FLAG_RELIABLE));
		}
	}
	EXPECT_EQ(answer, "refuse " + std::to_string(OnlineSession::ProtocolVersion) + " " + ContestVersion + "\n");
	EXPECT_TRUE(WaitForText(host, "a partner's program (protocol 1, version \"0.9-old\") met this one", 10.0))
		<< host.ErrorOutput();
	enet_host_destroy(oldJoiner);
	enet_deinitialize();
}
} // namespace
