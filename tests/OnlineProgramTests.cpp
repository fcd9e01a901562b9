// Two real programs on the loopback interface, playing one game in
// lockstep; a third caller is turned away.
#include <X11/keysym.h>
#include <box2d/box2d.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>

#include "framework/Lockstep.h"
#include "framework/OnlineSession.h"
#include "framework/PadEvent.h"
#include "framework/Shell.h"
#include "scenes/Pyramid.h"
#include "tests/support/RunningProgram.h"

namespace
{
std::string Title()
{
	return "Box2D Version " + std::to_string(b2_version.major) + "." + std::to_string(b2_version.minor) + "." +
		std::to_string(b2_version.revision);
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
	std::smatch found;
	ASSERT_TRUE(std::regex_search(errors, found, std::regex("no word from the partner .* \\((\\d+) digests matched")))
		<< errors;
	EXPECT_GE(std::stoi(found[1]), 2) << errors;
	EXPECT_EQ(errors.find("differ"), std::string::npos) << errors;
	EXPECT_NE(errors.find("refused 127.0.0.1"), std::string::npos) << errors;
}
using Line = ReplayLog::Line;

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
	host.Start(Lockstep::Side::Host, delay);
	partner.Start(Lockstep::Side::Partner, delay);
	partner.UseKeyMap([](unsigned char key) { return key == 'd' ? static_cast<unsigned char>('l') : key; });

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
		std::string error;
		for (Lockstep::Batch& batch : host.TakeOutgoing())
		{
			ASSERT_TRUE(partner.Receive(batch, &error)) << error;
		}
		for (Lockstep::Batch& batch : partner.TakeOutgoing())
		{
			ASSERT_TRUE(host.Receive(batch, &error)) << error;
		}
	}
	const std::vector<std::string> expected = {"3 3 key 100\n", "3 3 key 108\n", "3 3 pad press 0 1 0\n",
		"3 3 pad press 1 2 0\n"};
	EXPECT_EQ(seen[0], expected);
	EXPECT_EQ(seen[1], expected);
	EXPECT_EQ(host.FramesWaited(), 0);

	// A frame whose partner's batch is missing waits; one out of turn or
	// driving the wrong pad is refused.
	for (int frame = 8; frame < 10; ++frame)
	{
		ASSERT_TRUE(host.FrameReady());
		host.FrameBegins(scene);
		host.FrameEnds(scene);
	}
	EXPECT_FALSE(host.FrameReady());
	EXPECT_EQ(host.FramesWaited(), 1);
	std::string error;
	Lockstep::Batch late;
	late.frame = 20;
	EXPECT_FALSE(host.Receive(late, &error));
	Lockstep::Batch wrongPad;
	wrongPad.frame = 10;
	wrongPad.lines = {PadPress(0, 0)};
	EXPECT_FALSE(host.Receive(wrongPad, &error));
	EXPECT_EQ(error, "the partner drives pad 0");
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

	// The lies, for the first frame the partner's inputs act in (D).
	const char* const lies[] = {"frame D\nD pad press 0 0 0\n", "frame D\nD pad press 1 9999 0\n",
		"frame 999999\n", "frame D\nD nonsense\n", "welcome 1 1\n"};
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
					: text.rfind("welcome", 0) == 0 ? std::regex_replace(lie, std::regex("D"), std::to_string(std::stoi(text.substr(text.rfind(' ') + 1))))
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
	EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 10) << errors;
	EXPECT_NE(errors.find("a bad packet (the partner drives pad 0)"), std::string::npos) << errors;
	EXPECT_NE(errors.find("a packet out of turn"), std::string::npos) << errors;
	EXPECT_EQ(host.WaitForExit(0.5), -1) << "the host is still running";
}
} // namespace
