// The real contest-server, on the loopback interface, spoken to by ENet
// hosts and UDP sockets as players' programs would.
#include <arpa/inet.h>
#include <enet/enet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr double AnswerSeconds = 3.0;
const std::string Version = "302";

std::string ReadFile(const std::string& path)
{
	std::ifstream in(path);
	std::stringstream text;
	text << in.rdbuf();
	return text.str();
}

int CountOf(const std::string& text, const std::string& part)
{
	int count = 0;
	for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
	{
		++count;
	}
	return count;
}

// contest-server as a child process on 127.0.0.1, on a port found free.
class Server
{
public:
	Server()
	{
		for (int attempt = 0; attempt < 10 && !ready; ++attempt)
		{
			port = 20000 + (getpid() * 13 + attempt * 977) % 30000;
			Start();
		}
		if (!ready)
		{
			throw std::runtime_error("contest-server did not start: " + Errors());
		}
	}
	~Server()
	{
		if (pid > 0)
		{
			kill(pid, SIGKILL);
			waitpid(pid, nullptr, 0);
		}
		unlink(outFile.c_str());
		unlink(errFile.c_str());
	}
	// The exit status after the signal, or -1 when it does not end.
	int Stop(int signal)
	{
		kill(pid, signal);
		for (const auto deadline = Clock::now() + std::chrono::seconds(5); Clock::now() < deadline;)
		{
			int status = 0;
			if (waitpid(pid, &status, WNOHANG) == pid)
			{
				pid = -1;
				return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
			}
			std::this_thread::sleep_for(std::chrono::milliseconds(10));
		}
		return -1;
	}
	std::string Output() const { return ReadFile(outFile); }
	std::string Errors() const { return ReadFile(errFile); }
	// The server's resident memory, in kB.
	long ResidentKb() const
	{
		const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
		const std::size_t at = status.find("VmRSS:");
		return at == std::string::npos ? -1 : std::stol(status.substr(at + 6));
	}

	int port = 0;

private:
	void Start()
	{
		char out[] = "/tmp/contest-server-out-XXXXXX";
		char err[] = "/tmp/contest-server-err-XXXXXX";
		const int outFd = mkstemp(out);
		const int errFd = mkstemp(err);
		outFile = out;
		errFile = err;
		pid = fork();
		if (pid == 0)
		{
			dup2(outFd, STDOUT_FILENO);
			dup2(errFd, STDERR_FILENO);
			const std::string portText = std::to_string(port);
			execl(CONTEST_SERVER, CONTEST_SERVER, portText.c_str(), "--address", "127.0.0.1", nullptr);
			_exit(127);
		}
		close(outFd);
		close(errFd);
		const std::string readyLine = "listening on port " + std::to_string(port);
		for (const auto deadline = Clock::now() + std::chrono::seconds(5); Clock::now() < deadline && !ready;)
		{
			ready = Output().find(readyLine) != std::string::npos;
			if (!ready && waitpid(pid, nullptr, WNOHANG) == pid)
			{
				pid = -1;
				return;
			}
			std::this_thread::sleep_for(std::chrono::milliseconds(10));
		}
	}

	pid_t pid = -1;
	bool ready = false;
	std::string outFile;
	std::string errFile;
};

// A player's program as the coordinator sees it: one ENet peer.
class Player
{
public:
	explicit Player(int serverPort)
	{
		enet_initialize();
		ENetAddress own{ENET_HOST_ANY, 0};
		enet_address_set_host_ip(&own, "127.0.0.1");
		host = enet_host_create(&own, 1, 1, 0, 0);
		// As the game's datagrams, with ENet's own checksum.
		host->checksum = enet_crc32;
		ENetAddress server{0, static_cast<enet_uint16>(serverPort)};
		enet_address_set_host_ip(&server, "127.0.0.1");
		peer = enet_host_connect(host, &server, 1, 0);
		// In short turns, as a game services its link: ENet resends a lost
		// connect only between calls, and one long call would wait out a
		// connect dropped by a full socket buffer (after a flood of noise).
		ENetEvent event;
		for (const auto deadline = Clock::now() + std::chrono::seconds(3); !connected && Clock::now() < deadline;)
		{
			connected = enet_host_service(host, &event, 10) > 0 && event.type == ENET_EVENT_TYPE_CONNECT;
		}
	}
	~Player()
	{
		enet_host_destroy(host);
		enet_deinitialize();
	}
	// As the server sees it.
	std::string Address() const { return "127.0.0.1:" + std::to_string(host->address.port); }
	void Send(const std::string& text)
	{
		enet_peer_send(peer, 0, enet_packet_create(text.data(), text.size(), ENET_PACKET_FLAG_RELIABLE));
		enet_host_flush(host);
	}
	// The next message, or "" when none comes in time.
	std::string Receive()
	{
		ENetEvent event;
		for (const auto deadline = Clock::now() + std::chrono::duration<double>(AnswerSeconds); Clock::now() < deadline;)
		{
			if (enet_host_service(host, &event, 10) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE)
			{
				std::string text(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength);
				enet_packet_destroy(event.packet);
				return text;
			}
		}
		return "";
	}
	// Leaves at once, as a program that ends does.
	void Leave()
	{
		enet_peer_disconnect(peer, 0);
		ENetEvent event;
		for (const auto deadline = Clock::now() + std::chrono::seconds(2); Clock::now() < deadline;)
		{
			if (enet_host_service(host, &event, 10) > 0 && event.type == ENET_EVENT_TYPE_DISCONNECT)
			{
				return;
			}
		}
	}

	bool connected = false;

private:
	ENetHost* host = nullptr;
	ENetPeer* peer = nullptr;
};

// A game socket, which talks to the relay.
class GameSocket
{
public:
	GameSocket()
	{
		fd = socket(AF_INET, SOCK_DGRAM, 0);
		sockaddr_in address = Loopback(0);
		bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
	}
	~GameSocket() { close(fd); }
	void SendTo(int port, const std::string& bytes)
	{
		const sockaddr_in to = Loopback(port);
		sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
	}
	// The next datagram, or "(none)" when none comes within seconds.
	std::string Receive(double seconds = AnswerSeconds)
	{
		pollfd wait{fd, POLLIN, 0};
		if (poll(&wait, 1, static_cast<int>(seconds * 1000)) <= 0)
		{
			return "(none)";
		}
		std::vector<char> buffer(65536);
		const ssize_t size = recv(fd, buffer.data(), buffer.size(), 0);
		return std::string(buffer.data(), static_cast<std::size_t>(std::max<ssize_t>(size, 0)));
	}

private:
	static sockaddr_in Loopback(int port)
	{
		sockaddr_in address{};
		address.sin_family = AF_INET;
		address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
		address.sin_port = htons(static_cast<uint16_t>(port));
		return address;
	}

	int fd = -1;
};

// The code a host is given, after checking its answer; local is the game
// socket's address the host names, if any.
std::string Register(Player& host, const std::string& local = "")
{
	host.Send("host " + Version + (local.empty() ? "" : " " + local));
	const std::string answer = host.Receive();
	std::smatch match;
	const std::regex form("code (A[ACDEFGHJKMNPRTWXY]{4}) (.*)");
	EXPECT_TRUE(std::regex_match(answer, match, form)) << answer;
	EXPECT_EQ(match[2], host.Address());
	return match.size() > 1 ? match[1].str() : "";
}

// The ticket a host and its joiner are given; the joiner's answer ends with
// the host's local address when it named one.
std::string Meet(Player& host, Player& joiner, const std::string& code, const std::string& local = "")
{
	joiner.Send("join " + code + " " + Version);
	const std::string meet = joiner.Receive();
	std::smatch match;
	const std::string form = "meet (\\S+) (\\S+) ([0-9a-f]{16})" + (local.empty() ? "" : " " + local);
	EXPECT_TRUE(std::regex_match(meet, match, std::regex(form))) << meet;
	if (match.size() < 4)
	{
		return "";
	}
	EXPECT_EQ(match[1], host.Address());
	EXPECT_EQ(match[2], joiner.Address());
	EXPECT_EQ(host.Receive(), "caller " + joiner.Address() + " " + match[3].str());
	return match[3];
}
} // namespace

TEST(Coordinator, AJoinerLearnsTheHostsPublicAddressAndTheHostLearnsTheJoinersWithOneTicketEach)
{
	Server server;
	Player host(server.port);
	Player joiner(server.port);
	Player second(server.port);
	ASSERT_TRUE(host.connected && joiner.connected && second.connected);
	const std::string code = Register(host);
	const std::string ticket = Meet(host, joiner, code);
	// A code is typed by people: its case does not matter. Every meeting
	// has a ticket of its own.
	std::string lower = code;
	for (char& c : lower)
	{
		c = static_cast<char>(std::tolower(c));
	}
	const std::string another = Meet(host, second, lower);
	EXPECT_FALSE(ticket.empty());
	EXPECT_NE(another, ticket);
	// A host on the joiner's own network is reached at its local address.
	Player localHost(server.port);
	Player neighbour(server.port);
	ASSERT_TRUE(localHost.connected && neighbour.connected);
	Meet(localHost, neighbour, Register(localHost, "192.168.7.20:40001"), "192.168.7.20:40001");
	EXPECT_EQ(server.Stop(SIGTERM), 0);
	EXPECT_EQ(server.Output(), "contest-server: listening on port " + std::to_string(server.port) +
			", relay on port " + std::to_string(server.port + 1) + "\n");
}

TEST(Coordinator, AWrongCodeAnotherVersionAndTheCodeOfAHostThatLeftAreRefusedWithTheirReasons)
{
	Server server;
	Player host(server.port);
	ASSERT_TRUE(host.connected);
	const std::string code = Register(host);
	const std::string wrong = code.substr(0, 4) + (code[4] == 'A' ? "C" : "A");
	Player wrongCode(server.port);
	wrongCode.Send("join " + wrong + " " + Version);
	EXPECT_EQ(wrongCode.Receive(), "refused no such code");
	Player otherVersion(server.port);
	otherVersion.Send("join " + code + " 301");
	EXPECT_EQ(otherVersion.Receive(), "refused other version " + Version);
	host.Leave();
	Player late(server.port);
	late.Send("join " + code + " " + Version);
	EXPECT_EQ(late.Receive(), "refused no such code");
}

TEST(Coordinator, TwoSidesBoundByTheirTicketGetEachOthersDatagramsByteForByteAndNoStrangersOrMoreThanTheRate)
{
	Server server;
	Player host(server.port);
	Player joiner(server.port);
	ASSERT_TRUE(host.connected && joiner.connected);
	const std::string ticket = Meet(host, joiner, Register(host));
	const int relay = server.port + 1;
	GameSocket hostSide, joinerSide, stranger;
	hostSide.SendTo(relay, "ticket " + ticket);
	EXPECT_EQ(hostSide.Receive(), "relaying " + ticket);
	stranger.SendTo(relay, "not a ticket");
	joinerSide.SendTo(relay, "ticket " + ticket);
	EXPECT_EQ(joinerSide.Receive(), "relaying " + ticket);
	// A ticket binds two sides only.
	stranger.SendTo(relay, "ticket " + ticket);
	const std::string game("\0\x01\xff game bytes \r\n", 17);
	hostSide.SendTo(relay, game);
	EXPECT_EQ(joinerSide.Receive(), game);
	joinerSide.SendTo(relay, game + game);
	EXPECT_EQ(hostSide.Receive(), game + game);
	stranger.SendTo(relay, game);
	EXPECT_EQ(stranger.Receive(0.3), "(none)");
	EXPECT_EQ(hostSide.Receive(0.3), "(none)");
	EXPECT_EQ(joinerSide.Receive(0.3), "(none)");
	EXPECT_EQ(CountOf(server.Errors(), "from 127.0.0.1"), 3) << server.Errors();

	// A second's worth at once passes, and no more.
	const std::string kilobyte(1024, 'x');
	for (int i = 0; i < 32; ++i)
	{
		hostSide.SendTo(relay, kilobyte);
	}
	int through = 0;
	while (joinerSide.Receive(0.3) == kilobyte)
	{
		++through;
	}
	EXPECT_GE(through, 14);
	EXPECT_LE(through, 18);
}

TEST(Coordinator, EachMalformedMessageGetsOneLineOnStderrAndTheServerKeepsServing)
{
	Server server;
	Player sender(server.port);
	ASSERT_TRUE(sender.connected);
	const std::vector<std::string> malformed = {"", "host", "host abc", "host  " + Version, "host " + Version + " ",
		"host " + Version + " more", "join ABCDE", "join ABCDE x", "hello there", std::string("host \xff", 6),
		"host 1234567890123", std::string(300, 'a'), "host " + Version + " 192.168.1.2",
		"host " + Version + " 192.168.1.2:0", "host " + Version + " 192.168.1.2:65536", "host " + Version + " 192.168.1:80",
		"host " + Version + " host.lan:80"};
	for (const std::string& message : malformed)
	{
		sender.Send(message);
	}
	// Messages on the channel are taken in order: by this answer, every
	// line for the ones before is written.
	const std::string code = Register(sender);
	EXPECT_FALSE(code.empty());
	sender.Send("host " + Version);
	Player joiner(server.port);
	const std::string ticket = Meet(sender, joiner, code);
	const std::string errors = server.Errors();
	EXPECT_EQ(CountOf(errors, "\n"), static_cast<int>(malformed.size()) + 1) << errors;
	EXPECT_EQ(CountOf(errors, "contest-server: dropped \""), static_cast<int>(malformed.size()) + 1) << errors;
	EXPECT_NE(errors.find("\"host ?\" from " + sender.Address() + ": "), std::string::npos) << errors;
	EXPECT_EQ(server.Stop(SIGINT), 0);
}

// Fuzzed as a game's host port is: thousands of messages made by changing
// the good ones a byte at a time, from players that come and go, and of
// random datagrams at both ports. Each is dropped with its line, the
// server never ends, its memory stays flat, and a host and a joiner still
// meet through it.
TEST(Coordinator, MutatedMessagesAndRandomDatagramsLeaveItServingWithFlatMemory)
{
	constexpr int Rounds = 4;
	constexpr int MessagesPerPlayer = 400;
	constexpr int Datagrams = 2000;
	constexpr long MemoryGrowthKb = 2048;
	Server server;
	std::mt19937 random(11);
	const std::vector<std::string> good = {"host " + Version, "host " + Version + " 192.168.1.2:40000",
		"join ACDEF " + Version, "ticket 0123456789abcdef0123456789abcdef"};
	long before = 0;
	for (int round = 0; round < Rounds; ++round)
	{
		Player fuzzer(server.port);
		ASSERT_TRUE(fuzzer.connected) << server.Errors();
		for (int i = 0; i < MessagesPerPlayer; ++i)
		{
			std::string message = good[random() % good.size()];
			for (int changes = 1 + random() % 3; changes > 0 && !message.empty(); --changes)
			{
				message[random() % message.size()] = static_cast<char>(random());
			}
			fuzzer.Send(message);
		}
		GameSocket noise;
		for (int i = 0; i < Datagrams; ++i)
		{
			std::string bytes(1 + random() % 200, '\0');
			for (char& byte : bytes)
			{
				byte = static_cast<char>(random());
			}
			noise.SendTo(server.port + (i % 2), i % 7 == 0 ? "ticket " + bytes : bytes);
		}
		// A registration answered means everything before it was read.
		Player host(server.port);
		EXPECT_FALSE(Register(host).empty()) << server.Errors();
		fuzzer.Leave();
		if (round == 0)
		{
			before = server.ResidentKb();
		}
	}
	EXPECT_LT(server.ResidentKb() - before, MemoryGrowthKb);
	Player host(server.port);
	const std::string code = Register(host);
	Player joiner(server.port);
	EXPECT_FALSE(Meet(host, joiner, code).empty()) << server.Errors();
	EXPECT_EQ(server.Stop(SIGTERM), 0) << server.Errors();
}
