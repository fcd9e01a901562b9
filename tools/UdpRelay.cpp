// A bad network on the loopback interface: forwards UDP datagrams between
// one client and a target port, each late by a random time, some dropped,
// some sent twice; random lateness reorders them too. Online play is tested
// through it.
//
//   udprelay LISTEN_PORT TARGET_PORT [--delay MIN-MAX] [--drop P] [--duplicate P] [--seed N]
//            [--forge SECONDS]
//
// Delays are in milliseconds, chances from 0 to 1. The client is whoever
// sends to LISTEN_PORT first. --forge makes the relay an attacker on the
// path who knows all but the session's key: SECONDS after the client's
// first datagram it sends the target, as the client, ENet's word that the
// client leaves, with a valid plain checksum, once for each session
// number. SIGTERM or SIGINT ends it, with one stderr line counting what it
// did.
#include <arpa/inet.h>
#include <enet/enet.h>
#include <enet/protocol.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "framework/net/PacketTags.h"

namespace
{
using Clock = std::chrono::steady_clock;

constexpr std::size_t MaxDatagram = 65536;

volatile std::sig_atomic_t stopping = 0;

void OnStop(int)
{
	stopping = 1;
}

struct Options
{
	int listenPort = 0;
	int targetPort = 0;
	int minDelayMs = 0;
	int maxDelayMs = 0;
	double drop = 0.0;
	double duplicate = 0.0;
	unsigned seed = 1;
	double forgeAfter = -1.0;
};

// A datagram on its way: due at a time, to the target or to the client.
struct InFlight
{
	Clock::time_point due;
	bool toTarget;
	std::vector<char> bytes;
	bool operator>(const InFlight& other) const { return due > other.due; }
};

bool Parse(int argc, char** argv, Options* options)
{
	if (argc < 3)
	{
		return false;
	}
	options->listenPort = std::atoi(argv[1]);
	options->targetPort = std::atoi(argv[2]);
	for (int i = 3; i + 1 < argc; i += 2)
	{
		const std::string option = argv[i];
		const char* value = argv[i + 1];
		if (option == "--delay" && std::sscanf(value, "%d-%d", &options->minDelayMs, &options->maxDelayMs) == 2)
		{
			continue;
		}
		if (option == "--drop")
		{
			options->drop = std::atof(value);
		}
		else if (option == "--duplicate")
		{
			options->duplicate = std::atof(value);
		}
		else if (option == "--forge")
		{
			options->forgeAfter = std::atof(value);
		}
		else if (option == "--seed")
		{
			options->seed = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
		}
		else
		{
			return false;
		}
	}
	return options->listenPort > 0 && options->targetPort > 0 && options->minDelayMs >= 0 &&
		options->maxDelayMs >= options->minDelayMs && (argc - 3) % 2 == 0;
}

sockaddr_in Loopback(int port)
{
	sockaddr_in address{};
	address.sin_family = AF_INET;
	address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	address.sin_port = htons(static_cast<uint16_t>(port));
	return address;
}

int OpenSocket(int port)
{
	const int fd = socket(AF_INET, SOCK_DGRAM, 0);
	const sockaddr_in address = Loopback(port);
	if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
	{
		return -1;
	}
	return fd;
}
// What the relay has seen of the client's connection: enough to forge
// the client's datagrams but for their key.
class Forger
{
public:
	void Saw(const unsigned char* datagram, std::size_t size)
	{
		const enet_uint32 asked = PacketTags::ConnectIdOf(datagram, size);
		if (asked != 0)
		{
			connectID = asked;
		}
		else if (size >= sizeof(header))
		{
			std::memcpy(header, datagram, sizeof(header));
		}
	}
	bool CanForge() const { return connectID != 0; }
	// The client's goodbye under session number session.
	std::vector<unsigned char> Goodbye(int session) const
	{
		uint16_t peer = 0;
		std::memcpy(&peer, header, sizeof(peer));
		peer = htons(static_cast<uint16_t>((ntohs(peer) & ~ENET_PROTOCOL_HEADER_SESSION_MASK) |
			(session << ENET_PROTOCOL_HEADER_SESSION_SHIFT)));
		std::vector<unsigned char> bytes(header, header + sizeof(header));
		std::memcpy(bytes.data(), &peer, sizeof(peer));
		const std::size_t at = PacketTags::ChecksumOffset(bytes.data());
		bytes.resize(at + sizeof(enet_uint32));
		std::memcpy(bytes.data() + at, &connectID, sizeof(connectID));
		ENetProtocolDisconnect goodbye{};
		goodbye.header.command = ENET_PROTOCOL_COMMAND_DISCONNECT | ENET_PROTOCOL_COMMAND_FLAG_UNSEQUENCED;
		goodbye.header.channelID = 0xFF;
		const auto* command = reinterpret_cast<const unsigned char*>(&goodbye);
		bytes.insert(bytes.end(), command, command + sizeof(goodbye));
		ENetBuffer whole{bytes.data(), bytes.size()};
		const enet_uint32 checksum = enet_crc32(&whole, 1);
		std::memcpy(bytes.data() + at, &checksum, sizeof(checksum));
		return bytes;
	}

private:
	enet_uint32 connectID = 0;
	// The peer and sent time of the client's last datagram.
	unsigned char header[4] = {};
};
} // namespace

int main(int argc, char** argv)
{
	Options options;
	if (!Parse(argc, argv, &options))
	{
		std::fprintf(stderr,
			"usage: %s LISTEN_PORT TARGET_PORT [--delay MIN-MAX] [--drop P] [--duplicate P] [--seed N] "
			"[--forge SECONDS]\n",
			argv[0]);
		return 2;
	}
	// One socket faces the client, the other the target, which sees the
	// relay as its partner.
	const int front = OpenSocket(options.listenPort);
	const int back = OpenSocket(0);
	if (front < 0 || back < 0)
	{
		std::fprintf(stderr, "%s: port %d cannot be opened\n", argv[0], options.listenPort);
		return 1;
	}
	std::signal(SIGTERM, OnStop);
	std::signal(SIGINT, OnStop);
	const sockaddr_in target = Loopback(options.targetPort);
	sockaddr_in client{};
	bool clientKnown = false;
	std::mt19937 random(options.seed);
	std::uniform_real_distribution<double> chance(0.0, 1.0);
	std::uniform_int_distribution<int> delay(options.minDelayMs, options.maxDelayMs);
	std::priority_queue<InFlight, std::vector<InFlight>, std::greater<InFlight>> queue;
	long forwarded = 0;
	long dropped = 0;
	long duplicated = 0;
	long forged = 0;
	Forger forger;
	Clock::time_point firstHeard;
	std::vector<char> buffer(MaxDatagram);

	while (stopping == 0)
	{
		int timeoutMs = 100;
		if (!queue.empty())
		{
			const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(queue.top().due - Clock::now());
			timeoutMs = std::max(0, static_cast<int>(wait.count()));
		}
		pollfd fds[2] = {{front, POLLIN, 0}, {back, POLLIN, 0}};
		poll(fds, 2, timeoutMs);
		for (int side = 0; side < 2; ++side)
		{
			if ((fds[side].revents & POLLIN) == 0)
			{
				continue;
			}
			sockaddr_in from{};
			socklen_t fromSize = sizeof(from);
			const ssize_t size =
				recvfrom(fds[side].fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
			if (size < 0)
			{
				continue;
			}
			if (side == 0)
			{
				firstHeard = clientKnown ? firstHeard : Clock::now();
				client = from;
				clientKnown = true;
				forger.Saw(reinterpret_cast<const unsigned char*>(buffer.data()), static_cast<std::size_t>(size));
			}
			if (chance(random) < options.drop)
			{
				++dropped;
				continue;
			}
			const int copies = chance(random) < options.duplicate ? 2 : 1;
			duplicated += copies - 1;
			for (int copy = 0; copy < copies; ++copy)
			{
				queue.push({Clock::now() + std::chrono::milliseconds(delay(random)), side == 0,
					std::vector<char>(buffer.begin(), buffer.begin() + size)});
			}
		}
		if (options.forgeAfter >= 0 && forged == 0 && forger.CanForge() &&
			Clock::now() - firstHeard > std::chrono::duration<double>(options.forgeAfter))
		{
			for (int session = 0; session <= ENET_PROTOCOL_HEADER_SESSION_MASK >> ENET_PROTOCOL_HEADER_SESSION_SHIFT;
				 ++session, ++forged)
			{
				const std::vector<unsigned char> bytes = forger.Goodbye(session);
				sendto(back, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&target), sizeof(target));
			}
		}
		while (!queue.empty() && queue.top().due <= Clock::now())
		{
			const InFlight& next = queue.top();
			if (next.toTarget)
			{
				sendto(back, next.bytes.data(), next.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&target),
					sizeof(target));
			}
			else if (clientKnown)
			{
				sendto(front, next.bytes.data(), next.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&client),
					sizeof(client));
			}
			++forwarded;
			queue.pop();
		}
	}
	std::fprintf(stderr, "udprelay: %ld forwarded, %ld dropped, %ld duplicated, %ld forged\n", forwarded, dropped,
		duplicated, forged);
	close(front);
	close(back);
	return 0;
}
