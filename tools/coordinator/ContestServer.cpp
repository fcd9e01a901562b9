// contest-server: the coordinator and relay of online play, for a machine
// with a public address, where two players behind home routers find each
// other (see the README's "Running a coordinator").
//
//   contest-server [PORT] [--id LETTER] [--address ADDR]
//
// ENet on UDP PORT (47821 if none is given), the relay on UDP PORT+1.
// SIGTERM or SIGINT ends it with status 0.
#include <arpa/inet.h>
#include <poll.h>
#include <sodium.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/coordinator/Coordinator.h"
#include "tools/coordinator/DropLog.h"
#include "tools/coordinator/RelayPort.h"

namespace
{
constexpr int DefaultPort = 47821;
// The longest wait for a datagram: ENet resends and times out its peers
// only while it is served.
constexpr int TurnMs = 20;

volatile std::sig_atomic_t stopping = 0;

void OnStop(int)
{
	stopping = 1;
}

struct Options
{
	int port = DefaultPort;
	char id = 'A';
	std::string address;
	bool help = false;
};

bool ParsePort(const std::string& text, int* port)
{
	char* end = nullptr;
	const long value = std::strtol(text.c_str(), &end, 10);
	// The relay takes the port after it.
	if (text.empty() || *end != '\0' || value < 1 || value > 65534)
	{
		return false;
	}
	*port = static_cast<int>(value);
	return true;
}

bool Parse(int argc, char** argv, Options* options)
{
	bool portGiven = false;
	for (int i = 1; i < argc; ++i)
	{
		const std::string arg = argv[i];
		const bool hasValue = i + 1 < argc;
		if (arg == "--help" || arg == "-h")
		{
			options->help = true;
		}
		else if (arg == "--id" && hasValue && std::string(argv[i + 1]).size() == 1 && std::isupper(argv[i + 1][0]))
		{
			options->id = argv[++i][0];
		}
		else if (arg == "--address" && hasValue)
		{
			options->address = argv[++i];
		}
		else if (portGiven || !ParsePort(arg, &options->port))
		{
			return false;
		}
		else
		{
			portGiven = true;
		}
	}
	return true;
}

void Usage(const char* program, std::FILE* to)
{
	std::fprintf(to,
		"usage: %s [PORT] [--id LETTER] [--address ADDR]\n"
		"Meets players of the online game and relays their games when their routers will not.\n"
		"  PORT            ENet port for hosts and joiners (default %d); the relay is on PORT+1\n"
		"  --id LETTER     capital letter that starts every code this server gives (default A)\n"
		"  --address ADDR  listen on this address only (default every interface)\n",
		program, DefaultPort);
}

bool OpenBoth(const Options& options, Coordinator* coordinator, RelayPort* relay)
{
	ENetAddress enetAddress{ENET_HOST_ANY, static_cast<enet_uint16>(options.port)};
	sockaddr_in relayAddress{};
	relayAddress.sin_family = AF_INET;
	relayAddress.sin_port = htons(static_cast<uint16_t>(options.port + 1));
	if (!options.address.empty() && (enet_address_set_host_ip(&enetAddress, options.address.c_str()) != 0 ||
										inet_pton(AF_INET, options.address.c_str(), &relayAddress.sin_addr) != 1))
	{
		std::fprintf(stderr, "contest-server: %s is not an IPv4 address\n", options.address.c_str());
		return false;
	}
	std::string error;
	if (!coordinator->Open(enetAddress, &error) || !relay->Open(relayAddress, &error))
	{
		std::fprintf(stderr, "contest-server: %s\n", error.c_str());
		return false;
	}
	return true;
}
} // namespace

int main(int argc, char** argv)
{
	Options options;
	if (!Parse(argc, argv, &options))
	{
		Usage(argv[0], stderr);
		return 2;
	}
	if (options.help)
	{
		Usage(argv[0], stdout);
		return 0;
	}
	if (sodium_init() < 0)
	{
		std::fprintf(stderr, "contest-server: no source of random numbers\n");
		return 1;
	}
	DropLog log;
	RelayPort relay(log);
	Coordinator coordinator(options.id, relay, log);
	if (!OpenBoth(options, &coordinator, &relay))
	{
		return 1;
	}
	// Without SA_RESTART, so a signal ends the wait at once.
	struct sigaction stop{};
	stop.sa_handler = OnStop;
	sigaction(SIGTERM, &stop, nullptr);
	sigaction(SIGINT, &stop, nullptr);
	std::printf("contest-server: listening on port %d, relay on port %d\n", options.port, options.port + 1);
	std::fflush(stdout);
	while (stopping == 0)
	{
		pollfd sockets[2] = {{coordinator.Socket(), POLLIN, 0}, {relay.Socket(), POLLIN, 0}};
		poll(sockets, 2, TurnMs);
		const auto now = DropLog::Clock::now();
		coordinator.Serve(now);
		relay.Serve(now);
		log.Tick(now);
	}
	return 0;
}
