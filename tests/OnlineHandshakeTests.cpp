// The real program against hand-made peers speaking the protocol: a caller
// that lies after the handshake is dropped and the next is taken, and
// programs of two versions refuse each other, saying which met.
#include <box2d/box2d.h>
#include <enet/enet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "framework/net/InviteSecret.h"
#include "framework/net/OnlineSession.h"
#include "framework/net/PacketTags.h"
#include "framework/shell/App.h"
#include "tests/support/RunningProgram.h"

namespace
{
// A port of this test's own, so parallel runs do not meet.
std::string Port()
{
	return std::to_string(40000 + (getpid() * 13) % 20000);
}

bool WaitForText(const RunningProgram& program, const std::string& text, double seconds, bool onStdout = false)
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
	while ((onStdout ? program.Output() : program.ErrorOutput()).find(text) == std::string::npos)
	{
		if (std::chrono::steady_clock::now() > deadline)
		{
			return false;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(100));
	}
	return true;
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
	const int first = frames + 1 + delay;
	std::string told;
	for (const char c : lie)
	{
		told += c == 'D' ? std::to_string(first) : c == 'A' ? std::to_string(first - 1) : std::string(1, c);
	}
	return told;
}

// A caller that says hello, tells lie in reply to the welcome and waits
// to be dropped: false when it was not within 10 s.
bool LieUntilDropped(const ENetAddress& address, const char* lie)
{
	ENetHost* client = enet_host_create(nullptr, 1, 1, 0, 0);
	// ENet seeds a connection's id from the clock and where the host lies
	// in memory, the same for callers made one after another here.
	client->randomSeed = std::random_device()();
	PacketTags tags;
	PacketTags::Scope inScope(tags);
	client->checksum = PacketTags::Checksum;
	client->intercept = [](ENetHost* host, ENetEvent*) { return PacketTags::AdmitInScope(host) ? 0 : 1; };
	ENetPeer* peer = enet_host_connect(client, &address, 1, 0);
	InviteSecret secret;
	InviteSecret::Parse(TestSecret, &secret);
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
			std::string reply;
			if (text.rfind("welcome", 0) == 0)
			{
				tags.Seal(peer->connectID);
				reply = Told(lie, text);
			}
			if (text.rfind("probe ", 0) == 0)
			{
				const std::string challenge = text.substr(6, text.size() - 7);
				const std::string own = InviteSecret::Challenge();
				tags.Expect(peer->connectID, secret.SessionKey(challenge, own));
				reply = "hello " + std::to_string(OnlineSession::ProtocolVersion) + " " + ContestVersion + " " + own +
					" " + secret.PartnerProof(challenge, own) + "\n";
			}
			if (!reply.empty())
			{
				enet_peer_send(peer, 0, enet_packet_create(reply.data(), reply.size(), ENET_PACKET_FLAG_RELIABLE));
			}
		}
		dropped = event.type == ENET_EVENT_TYPE_DISCONNECT;
	}
	enet_host_destroy(client);
	return dropped;
}

// A caller that speaks the protocol, then lies: the host drops it with a
// line on stderr and takes the next partner. Random datagrams at its port
// change nothing.
TEST(OnlineProgram, AMisbehavingPartnerIsDroppedAndTheHostWaitsForTheNext)
{
	RunningProgram host({"--host", "127.0.0.1:" + Port(), "--secret", TestSecret});
	ASSERT_NE(host.WaitForWindow(WindowTitle(), 20.0), 0u) << host.ErrorOutput();
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
		EXPECT_TRUE(LieUntilDropped(address, lie)) << lie;
	}
	enet_deinitialize();
	const std::string errors = host.ErrorOutput();
	EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 20) << errors;
	EXPECT_NE(errors.find("a bad packet (the other player's pad: "), std::string::npos) << errors;
	EXPECT_NE(errors.find("a packet out of turn"), std::string::npos) << errors;
	EXPECT_NE(errors.find("a goodbye after frame 999999"), std::string::npos) << errors;
	EXPECT_EQ(host.WaitForExit(0.5), -1) << "the host is still running";
}


// Programs of two versions meet: each side says which versions met, and the
// joiner leaves with status 2.
TEST(OnlineProgram, ProgramsOfDifferentVersionsRefuseToPlayAndSayWhich)
{
	ASSERT_EQ(enet_initialize(), 0);
	ENetAddress address{ENET_HOST_ANY, static_cast<enet_uint16>(std::stoi(Port()))};
	ENetHost* oldHost = enet_host_create(&address, 1, 1, 0, 0);
	ASSERT_NE(oldHost, nullptr);
	oldHost->checksum = enet_crc32;
	RunningProgram joiner({"--join", "127.0.0.1:" + Port() + "/" + TestSecret});
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
	RunningProgram host({"--host", "127.0.0.1:" + Port(), "--secret", TestSecret});
	ASSERT_NE(host.WaitForWindow(WindowTitle(), 30.0), 0u) << host.ErrorOutput();
	ENetHost* oldJoiner = enet_host_create(nullptr, 1, 1, 0, 0);
	oldJoiner->checksum = enet_crc32;
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

// Through a coordinator on this machine: the host is given an invite code,
// a joiner with a code nobody holds is told so, and one with the host's
// code meets it, here by the host's own address.
TEST(OnlineHandshake, AnInviteCodeLeadsItsJoinerToTheHostAndAWrongCodeIsRefused)
{
	const std::string coordinator = "127.0.0.1:" + std::to_string(std::stoi(Port()) + 3);
	RunningProgram server({coordinator.substr(coordinator.find(':') + 1), "--address", "127.0.0.1"}, "dummy", 0, {},
		CONTEST_SERVER);
	ASSERT_TRUE(WaitForText(server, "listening", 10.0, true)) << server.ErrorOutput();
	RunningProgram host({"--host", "127.0.0.1:" + Port(), "--server", coordinator});
	const std::string said = "contest: invite code ";
	ASSERT_TRUE(WaitForText(host, said, 30.0, true)) << host.ErrorOutput();
	const std::string output = host.Output();
	const std::size_t at = output.find(said) + said.size();
	const std::string code = output.substr(at, output.find('\n', at) - at);

	RunningProgram wrong(
		{"--join", (code.substr(0, 5) == "AAAAA" ? "AAAAC" : "AAAAA") + code.substr(5), "--server", coordinator});
	EXPECT_EQ(wrong.WaitForExit(30.0), OnlineSession::JoinFailedStatus);
	EXPECT_NE(wrong.ErrorOutput().find("refused: no such code"), std::string::npos) << wrong.ErrorOutput();

	RunningProgram joiner({"--join", code, "--server", coordinator});
	EXPECT_TRUE(WaitForText(joiner, "(direct); input delay", 30.0)) << joiner.ErrorOutput();
	EXPECT_TRUE(WaitForText(host, "joined (direct)", 10.0)) << host.ErrorOutput();
	server.Signal(SIGTERM);
	EXPECT_EQ(server.WaitForExit(10.0), 0);
}
} // namespace
