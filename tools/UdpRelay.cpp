// A bad network on the loopback interface: forwards UDP datagrams between
// one client and a target port, each late by a random time, some dropped,
// some sent twice; random lateness reorders them too. Online play is tested
// through it.
//
//   udprelay LISTEN_PORT TARGET_PORT [--delay MIN-MAX] [--drop P] [--duplicate P] [--seed N]
//
// Delays are in milliseconds, chances from 0 to 1. The client is whoever
// sends to LISTEN_PORT first. SIGTERM or SIGINT ends it, with one stderr
// line counting what it did.
#include <arpa/inet.h>
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
} // namespace

int main(int argc, char** argv)
{
	Options options;
	if (!Parse(argc, argv, &options))
	{
		std::fprintf(stderr,
			"usage: %s LISTEN_PORT TARGET_PORT [--delay MIN-MAX] [--drop P] [--duplicate P] [--seed N]\n", argv[0]);
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
				client = from;
				clientKnown = true;
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
	std::fprintf(stderr, "udprelay: %ld forwarded, %ld dropped, %ld duplicated\n", forwarded, dropped, duplicated);
	close(front);
	close(back);
	return 0;
}
