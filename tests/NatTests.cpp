// Online play across home routers, in a small internet of network
// namespaces: the real coordinator on the public network, and the real
// game's host and joiner on one LAN, behind two common routers, or behind a
// router whose ports cannot be foreseen.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <csignal>
#include <iostream>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>

#include "tests/support/NatLab.h"
#include "tests/support/RunningProgram.h"

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int ServerPort = 47821;
constexpr int RelayPort = ServerPort + 1;
constexpr int GamePort = 40001;

bool WaitFor(const std::function<bool()>& done, double seconds)
{
	for (const auto deadline = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < deadline;)
	{
		if (done())
		{
			return true;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	return done();
}

// Whether a line of text starts with start.
bool HasLine(const std::string& text, const std::string& start)
{
	return text.rfind(start, 0) == 0 || text.find("\n" + start) != std::string::npos;
}

std::string Server()
{
	return std::string(NatLab::PublicAddress) + ":" + std::to_string(ServerPort);
}

std::unique_ptr<RunningProgram> StartServer(const NatLab& lab)
{
	auto server = std::make_unique<RunningProgram>(
		std::vector<std::string>{std::to_string(ServerPort), "--address", NatLab::PublicAddress}, "dummy", 0,
		std::vector<std::string>{}, CONTEST_SERVER, NatLab::In(lab.Public()));
	EXPECT_TRUE(WaitFor([&] { return server->Output().find("listening on port") != std::string::npos; }, 5.0))
		<< server->ErrorOutput();
	return server;
}

void SendTo(int fd, const std::string& address, int port, const std::string& bytes)
{
	sockaddr_in to{};
	to.sin_family = AF_INET;
	to.sin_port = htons(static_cast<uint16_t>(port));
	inet_pton(AF_INET, address.c_str(), &to.sin_addr);
	sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
}

bool Receives(int fd, const std::string& bytes, double seconds)
{
	pollfd wait{fd, POLLIN, 0};
	char buffer[512];
	for (const auto deadline = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < deadline;)
	{
		if (poll(&wait, 1, 50) > 0 && std::string(buffer, std::max<ssize_t>(recv(fd, buffer, sizeof(buffer), 0), 0)) == bytes)
		{
			return true;
		}
	}
	return false;
}

// The public port the coordinator's relay saw a datagram come from, sent
// from fd behind the router at routerAddress; 0 when none arrived.
int PublicPort(const RunningProgram& server, int fd, const std::string& routerAddress, const std::string& tag)
{
	SendTo(fd, NatLab::PublicAddress, RelayPort, tag);
	const std::regex line("dropped \"" + tag + "\" from " + std::regex_replace(routerAddress, std::regex("\\."), "\\.") +
		":([0-9]+)");
	// The match points into the text searched, which must outlive it.
	std::string errors;
	std::smatch match;
	WaitFor([&] {
		errors = server.ErrorOutput();
		return std::regex_search(errors, match, line);
	}, 3.0);
	return match.empty() ? 0 : std::stoi(match[1]);
}

// Test cases that build the namespaces, where the machine lets them.
class Nat : public testing::Test
{
protected:
	void SetUp() override
	{
		const std::string reason = NatLab::Unavailable();
		if (!reason.empty())
		{
			GTEST_SKIP() << reason;
		}
	}
};
} // namespace

TEST_F(Nat, TheCoordinatorSeesEachPlayerAtItsRoutersAddressAndOnlyCommonRoutersLetAPunchedPathThrough)
{
	for (const NatLab::Layout layout : {NatLab::Layout::TwoRouters, NatLab::Layout::OneHardRouter})
	{
		NatLab lab(layout);
		const auto server = StartServer(lab);
		const int first = NatLab::UdpSocket(lab.Player(0), GamePort);
		const int second = NatLab::UdpSocket(lab.Player(1), GamePort);
		ASSERT_GE(first, 0);
		ASSERT_GE(second, 0);
		const int firstPort = PublicPort(*server, first, lab.RouterAddress(0), "first");
		const int secondPort = PublicPort(*server, second, lab.RouterAddress(1), "second");
		ASSERT_NE(firstPort, 0) << server->ErrorOutput();
		ASSERT_NE(secondPort, 0) << server->ErrorOutput();
		// A common router keeps the LAN socket's port when it is free.
		EXPECT_EQ(firstPort, GamePort);
		const bool common = layout == NatLab::Layout::TwoRouters;
		if (common)
		{
			EXPECT_EQ(secondPort, GamePort);
		}
		// Each side sends to the other at the address the coordinator saw:
		// the first datagrams may fall on a router that has not yet seen its
		// own side send.
		bool through = false;
		for (int attempt = 0; attempt < 5 && !through; ++attempt)
		{
			SendTo(first, lab.RouterAddress(1), secondPort, "punch");
			SendTo(second, lab.RouterAddress(0), firstPort, "punch");
			through = Receives(first, "punch", 0.3) && Receives(second, "punch", 0.3);
		}
		EXPECT_EQ(through, common);
		close(first);
		close(second);
	}
}

namespace
{
// A host and a joiner of the real game, each in its player's namespace.
class NatGame : public Nat
{
protected:
	static std::unique_ptr<RunningProgram> Start(const NatLab& lab, int player, const std::vector<std::string>& args)
	{
		return std::make_unique<RunningProgram>(args, "dummy", 0, std::vector<std::string>{}, CONTEST_BINARY,
			NatLab::In(lab.Player(player)));
	}

	// The host's invite code, once it has one; "" otherwise.
	static std::string InviteCode(const RunningProgram& host)
	{
		std::string output;
		std::smatch match;
		const std::regex line("contest: invite code ([A-Z]{5}(-[A-Z]{4}){4})\n");
		WaitFor([&] {
			output = host.Output();
			return std::regex_search(output, match, line);
		}, 20.0);
		return match.empty() ? "" : match[1].str();
	}

	// The last frame the recording at path has a digest of; 0 for none.
	static int LastDigestFrame(const std::string& path)
	{
		std::ifstream file(path);
		int last = 0;
		for (std::string line; std::getline(file, line);)
		{
			const std::size_t space = line.find(' ');
			if (space != std::string::npos && line.compare(space, 8, " digest ") == 0)
			{
				last = std::atoi(line.c_str());
			}
		}
		return last;
	}

	// A host and a joiner meet by the path named, and play a game of frames
	// in lockstep (as the joiner's recording counts them), neither leaving
	// nor finding the other's game different; then the joiner leaves, and
	// the host's line says how the game went.
	static void ExpectGame(NatLab::Layout layout, const std::string& path, int frames)
	{
		const std::string recording = "/tmp/contest-nat-" + std::to_string(getpid()) + ".replay";
		NatLab lab(layout);
		const auto server = StartServer(lab);
		const auto host = Start(lab, 0, {"--host", "--server", Server()});
		const std::string code = InviteCode(*host);
		ASSERT_FALSE(code.empty()) << host->Output() << host->ErrorOutput();
		const Clock::time_point joining = Clock::now();
		const auto joiner = Start(lab, 1, {"--join", code, "--server", Server(), "--record", recording});
		const std::string word = "(" + path + ")";
		EXPECT_TRUE(WaitFor([&] { return joiner->ErrorOutput().find(word) != std::string::npos; }, 30.0))
			<< joiner->ErrorOutput();
		std::cout << path << ": playing " << std::chrono::duration<double>(Clock::now() - joining).count()
				  << " s after --join\n";
		EXPECT_TRUE(WaitFor([&] { return host->ErrorOutput().find(word) != std::string::npos; }, 5.0))
			<< host->ErrorOutput();
		// However slowly two games draw on this machine.
		EXPECT_TRUE(WaitFor([&] { return LastDigestFrame(recording) >= frames; }, frames / 60.0 * 4 + 30.0))
			<< LastDigestFrame(recording);
		EXPECT_EQ(host->WaitForExit(0), -1) << host->ErrorOutput();
		joiner->Signal(SIGTERM);
		EXPECT_NE(joiner->WaitForExit(10.0), -1) << joiner->ErrorOutput();
		std::smatch ended;
		const std::regex line("after frame ([0-9]+) \\(([0-9]+) digests matched[^\n]*");
		std::string said;
		EXPECT_TRUE(WaitFor([&] {
			said = host->ErrorOutput();
			return std::regex_search(said, ended, line);
		}, 10.0)) << said;
		if (!ended.empty())
		{
			std::cout << ended[0].str() << "\n";
			EXPECT_GE(std::stoi(ended[1].str()), frames);
			EXPECT_GE(std::stoi(ended[2].str()), frames / 60 / 2);
		}
		for (const RunningProgram* side : {host.get(), joiner.get()})
		{
			EXPECT_EQ(side->ErrorOutput().find("differ"), std::string::npos) << side->ErrorOutput();
		}
		unlink(recording.c_str());
	}
};
} // namespace

TEST_F(NatGame, PlayersOnOneLanPlayDirectly)
{
	ExpectGame(NatLab::Layout::SameLan, "direct", 300);
}

TEST_F(NatGame, PlayersBehindTwoCommonRoutersPlayOnAPunchedPath)
{
	ExpectGame(NatLab::Layout::TwoRouters, "punched", 300);
}

// Every digest of a long game through the relay is equal on both sides.
TEST_F(NatGame, APlayerBehindARouterOfUnforeseeablePortsPlaysALongGameThroughTheRelay)
{
	ExpectGame(NatLab::Layout::OneHardRouter, "relayed", 3000);
}

TEST_F(NatGame, AWrongCodeAndAnAbsentCoordinatorEachEndTheJoinWithStatus2)
{
	NatLab lab(NatLab::Layout::TwoRouters);
	{
		const auto server = StartServer(lab);
		const auto host = Start(lab, 0, {"--host", "--server", Server()});
		const std::string code = InviteCode(*host);
		ASSERT_FALSE(code.empty()) << host->Output() << host->ErrorOutput();
		const std::string wrong = code.substr(0, 4) + (code[4] == 'A' ? "C" : "A") + code.substr(5);
		const auto joiner = Start(lab, 1, {"--join", wrong, "--server", Server()});
		EXPECT_EQ(joiner->WaitForExit(25.0), 2) << joiner->ErrorOutput();
		EXPECT_TRUE(HasLine(joiner->ErrorOutput(), "contest: could not join")) << joiner->ErrorOutput();
	}
	// Nothing listens at the coordinator's address now.
	const auto joiner = Start(lab, 1, {"--join", std::string("AKMRT-") + TestSecret, "--server", Server()});
	EXPECT_EQ(joiner->WaitForExit(25.0), 2) << joiner->ErrorOutput();
	EXPECT_TRUE(HasLine(joiner->ErrorOutput(), "contest: could not join")) << joiner->ErrorOutput();
}
