#include "tools/coordinator/RelayPort.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sodium.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace
{
const std::string TicketWord = "ticket ";
constexpr std::size_t TicketBytes = 8;
constexpr std::size_t SidesPerPair = 2;

bool IsTicket(const std::string& text)
{
	return text.size() == 2 * TicketBytes &&
		std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}
} // namespace

RelayPort::~RelayPort()
{
	if (fd >= 0)
	{
		close(fd);
	}
}

bool RelayPort::Open(const sockaddr_in& address, std::string* error)
{
	fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
	if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
	{
		*error = "UDP port " + std::to_string(ntohs(address.sin_port)) + " cannot be opened: " + std::strerror(errno);
		return false;
	}
	return true;
}

std::string RelayPort::NewTicket(Clock::time_point now)
{
	std::string ticket;
	do
	{
		unsigned char bytes[TicketBytes];
		randombytes_buf(bytes, sizeof(bytes));
		char text[2 * TicketBytes + 1];
		sodium_bin2hex(text, sizeof(text), bytes, sizeof(bytes));
		ticket = text;
	} while (pairs.count(ticket) != 0);
	Pair& pair = pairs[ticket];
	pair.created = now;
	pair.lastTraffic = now;
	pair.refilled = now;
	return ticket;
}

void RelayPort::Serve(Clock::time_point now)
{
	for (int i = 0; i < MaxDatagramsPerTurn; ++i)
	{
		sockaddr_in from{};
		socklen_t fromSize = sizeof(from);
		const ssize_t size =
			recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
		if (size < 0)
		{
			break;
		}
		OnDatagram(from, std::string(buffer.data(), static_cast<std::size_t>(size)), now);
	}
	EndExpired(now);
}

void RelayPort::OnDatagram(const sockaddr_in& from, const std::string& bytes, Clock::time_point now)
{
	const auto binding = bound.find(KeyOf(from));
	if (binding == bound.end())
	{
		Bind(from, bytes);
		return;
	}
	const std::string& ticket = binding->second;
	Pair& pair = pairs.at(ticket);
	if (bytes == TicketWord + ticket)
	{
		// Its first answer was lost on the way.
		Answer(from, "relaying " + ticket);
	}
	else if (pair.sides.size() < SidesPerPair)
	{
		log.Dropped(bytes, TextOf(from), "the other side is not bound yet");
	}
	else
	{
		Forward(pair, from, bytes, now);
	}
}

void RelayPort::Bind(const sockaddr_in& from, const std::string& bytes)
{
	const std::string ticket = bytes.compare(0, TicketWord.size(), TicketWord) == 0 ? bytes.substr(TicketWord.size()) : "";
	if (!IsTicket(ticket))
	{
		log.Dropped(bytes, TextOf(from), "not a ticket, from an address bound to no pair");
		return;
	}
	const auto found = pairs.find(ticket);
	if (found == pairs.end())
	{
		log.Dropped(bytes, TextOf(from), "no such ticket");
		return;
	}
	Pair& pair = found->second;
	if (pair.sides.size() >= SidesPerPair)
	{
		log.Dropped(bytes, TextOf(from), "both sides of the ticket are bound");
		return;
	}
	pair.sides.push_back(KeyOf(from));
	pair.addresses.push_back(from);
	bound[KeyOf(from)] = ticket;
	Answer(from, "relaying " + ticket);
}

void RelayPort::Forward(Pair& pair, const sockaddr_in& from, const std::string& bytes, Clock::time_point now)
{
	if (!Spend(pair, bytes.size(), now))
	{
		log.Dropped(bytes, TextOf(from), "over the pair's rate");
		return;
	}
	pair.lastTraffic = now;
	const sockaddr_in& to = pair.addresses[pair.sides[0] == KeyOf(from) ? 1 : 0];
	sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
}

bool RelayPort::Spend(Pair& pair, std::size_t bytes, Clock::time_point now)
{
	const double seconds = std::chrono::duration<double>(now - pair.refilled).count();
	pair.allowance = std::min(MaxBytesPerSecond, pair.allowance + seconds * MaxBytesPerSecond);
	pair.refilled = now;
	if (static_cast<double>(bytes) > pair.allowance)
	{
		return false;
	}
	pair.allowance -= static_cast<double>(bytes);
	return true;
}

void RelayPort::Answer(const sockaddr_in& to, const std::string& text)
{
	sendto(fd, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
}

void RelayPort::EndExpired(Clock::time_point now)
{
	for (auto pair = pairs.begin(); pair != pairs.end();)
	{
		const bool complete = pair->second.sides.size() == SidesPerPair;
		const bool expired = complete ? now - pair->second.lastTraffic > IdlePairLifetime
									  : now - pair->second.created > UnboundTicketLifetime;
		if (!expired)
		{
			++pair;
			continue;
		}
		for (uint64_t side : pair->second.sides)
		{
			bound.erase(side);
		}
		pair = pairs.erase(pair);
	}
}

uint64_t RelayPort::KeyOf(const sockaddr_in& address)
{
	return (static_cast<uint64_t>(ntohl(address.sin_addr.s_addr)) << 16) | ntohs(address.sin_port);
}

std::string RelayPort::TextOf(const sockaddr_in& address)
{
	char text[INET_ADDRSTRLEN] = "?";
	inet_ntop(AF_INET, &address.sin_addr, text, sizeof(text));
	return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}
