#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/coordinator/DropLog.h"

// The relay for two players whose routers will not let them reach each
// other: a plain UDP socket where each side of a pair, from its game
// socket, sends "ticket TICKET" to be bound to the pair (and is answered
// "relaying TICKET"); once both sides are bound, every other datagram from
// one is sent on unchanged to the other. Datagrams from addresses bound to
// no pair are dropped. Pairs are bounded in number, rate and lifetime.
class RelayPort
{
public:
	using Clock = std::chrono::steady_clock;

	static constexpr std::size_t MaxPairs = 200;
	// Both directions of a pair together; a burst of up to a second's worth
	// passes.
	static constexpr double MaxBytesPerSecond = 16384.0;
	static constexpr Clock::duration UnboundTicketLifetime = std::chrono::seconds(30);
	static constexpr Clock::duration IdlePairLifetime = std::chrono::seconds(10);
	// Datagrams read in one turn, so the coordinator is served too under a
	// flood.
	static constexpr int MaxDatagramsPerTurn = 1000;

	explicit RelayPort(DropLog& log) : log(log) {}
	~RelayPort();
	RelayPort(const RelayPort&) = delete;
	RelayPort& operator=(const RelayPort&) = delete;

	// Binds the socket to address (host and port in network order); false,
	// with the reason.
	bool Open(const sockaddr_in& address, std::string* error);
	int Socket() const { return fd; }
	bool HasRoom() const { return pairs.size() < MaxPairs; }
	// A new pair, waiting for its sides: its ticket, 16 hex digits. There
	// must be room.
	std::string NewTicket(Clock::time_point now);
	// Reads what has come, forwards it, and ends pairs past their time.
	void Serve(Clock::time_point now);

private:
	struct Pair
	{
		std::vector<uint64_t> sides;
		std::vector<sockaddr_in> addresses;
		Clock::time_point created;
		Clock::time_point lastTraffic;
		Clock::time_point refilled;
		double allowance = MaxBytesPerSecond;
	};

	void OnDatagram(const sockaddr_in& from, const std::string& bytes, Clock::time_point now);
	void Bind(const sockaddr_in& from, const std::string& bytes);
	void Forward(Pair& pair, const sockaddr_in& from, const std::string& bytes, Clock::time_point now);
	// Takes bytes from the pair's allowance, refilled at the rate allowed;
	// false when there are not enough.
	static bool Spend(Pair& pair, std::size_t bytes, Clock::time_point now);
	void Answer(const sockaddr_in& to, const std::string& text);
	void EndExpired(Clock::time_point now);
	static uint64_t KeyOf(const sockaddr_in& address);
	static std::string TextOf(const sockaddr_in& address);

	DropLog& log;
	int fd = -1;
	std::unordered_map<std::string, Pair> pairs;
	// Each bound address, to its pair's ticket.
	std::unordered_map<uint64_t, std::string> bound;
	std::vector<char> buffer = std::vector<char>(65536);
};
