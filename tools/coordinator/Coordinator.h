#pragma once

#include <enet/enet.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/coordinator/DropLog.h"
#include "tools/coordinator/RelayPort.h"

// The meeting place of online players, on ENet: a host says "host VERSION",
// or "host VERSION LOCALADDR:PORT" with its game socket's address on its own
// network, and is given a code ("code CODE ADDR:PORT", its public address as
// seen here), which lives as long as its connection; a joiner says "join
// CODE VERSION" and both learn each other's public address and a ticket for
// the relay ("meet HOSTADDR:PORT JOINERADDR:PORT TICKET", then " LOCALADDR:PORT"
// when the host gave one, to the joiner; "caller JOINERADDR:PORT TICKET" to
// the host). Anything else is dropped with a line on stderr; hosts, peers and
// message sizes are bounded.
class Coordinator
{
public:
	using Clock = std::chrono::steady_clock;

	static constexpr std::size_t MaxHosts = 1000;
	// Room beyond the hosts for joiners, which stay only until answered.
	static constexpr std::size_t MaxPeers = MaxHosts + 200;
	static constexpr std::size_t MaxMessageBytes = 256;
	// A peer that is not hosting is let go after this, answered or not.
	static constexpr Clock::duration VisitorLifetime = std::chrono::seconds(10);
	// A host whose packets do not get through for this long is gone, and
	// its code with it.
	static constexpr enet_uint32 PeerTimeoutMinMs = 5000;
	static constexpr enet_uint32 PeerTimeoutMaxMs = 15000;

	Coordinator(char id, RelayPort& relay, DropLog& log) : id(id), relay(relay), log(log) {}
	~Coordinator();
	Coordinator(const Coordinator&) = delete;
	Coordinator& operator=(const Coordinator&) = delete;

	// Listens on address; false, with the reason.
	bool Open(const ENetAddress& address, std::string* error);
	int Socket() const { return static_cast<int>(host->socket); }
	// Takes every event that has come, and lets go of visitors past their
	// time.
	void Serve(Clock::time_point now);

private:
	struct Visitor
	{
		Clock::time_point since;
		// The code it hosts under; empty for none.
		std::string code;
	};
	struct Registration
	{
		ENetPeer* peer;
		long version;
		// The host's LOCALADDR:PORT; empty when it gave none.
		std::string localAddress;
	};

	void OnPacket(ENetPeer* peer, const std::string& text, Clock::time_point now);
	void Host(ENetPeer* peer, const std::vector<std::string>& words, const std::string& text);
	void Join(ENetPeer* peer, const std::vector<std::string>& words, const std::string& text, Clock::time_point now);
	void OnGone(ENetPeer* peer);
	// A code of id and letters no live code has; empty when none is found.
	std::string NewCode() const;
	static void Send(ENetPeer* peer, const std::string& text);
	// Answers peer and lets it go once the answer has left.
	static void AnswerAndLetGo(ENetPeer* peer, const std::string& text);
	void Drop(const ENetPeer* peer, const std::string& text, const std::string& reason);
	static std::string AddressOf(const ENetPeer* peer);

	char id;
	RelayPort& relay;
	DropLog& log;
	ENetHost* host = nullptr;
	bool initialized = false;
	std::unordered_map<ENetPeer*, Visitor> visitors;
	std::unordered_map<std::string, Registration> codes;
};
