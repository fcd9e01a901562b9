#pragma once

#include <enet/enet.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

class EnetLink;

// Meeting the other player through a coordinator (contest-server) on the
// internet: the host registers its game and is given an invite code, and a
// joiner looks the code up. The coordinator sees both through the game's
// own socket, so the public address it tells each side is the one that
// side's router maps the game to. Both then punch (send a few datagrams to
// the other's public address, so that each router takes the other's
// packets for answers) and the joiner calls; players behind one router
// call each other's own address. When no call stands soon, both are paired
// through the coordinator's relay by a one-time ticket, which forwards
// their datagrams unchanged.
class Rendezvous
{
public:
	static constexpr uint16_t DefaultPort = 47821;
	// A joiner whose call by the first path has no answer this long calls
	// through the relay.
	static constexpr std::chrono::seconds FirstPathBudget{2};

	// How the two programs reach each other.
	enum class Path
	{
		Direct,
		Punched,
		Relayed,
	};
	static const char* NameOf(Path path);

	// What a word of the coordinator's comes to for the session.
	enum class News
	{
		Nothing,
		// The host has its invite code.
		Registered,
		// The joiner knows where the host is.
		Met,
		// The coordinator said no, or went, or could not be reached: Reason.
		Failed,
	};

	// Talks to the coordinator at server ("HOST[:PORT]") through link's
	// socket. False, with the reason, when the server has no address.
	bool Open(EnetLink& link, const std::string& server, std::string* error);
	bool IsOpen() const { return link != nullptr; }
	// The host asks for an invite code for its game, on the socket's port.
	void Register(int version, uint16_t port);
	// A joiner asks where the host of code is.
	void LookUp(const std::string& code, int version);
	bool Owns(const ENetPeer* peer) const { return peer != nullptr && peer == coordinator; }
	// An event of the coordinator's peer, and what came of it.
	News Handle(const ENetEvent& event);

	// The joiner, once met: where to call first, and that path's name.
	ENetAddress FirstTarget(Path* path);
	// The joiner binds its side of the relay: the address to call through
	// it.
	ENetAddress UseRelay();
	bool UsesRelay() const { return relaying; }
	bool HasMet() const { return met; }
	// The host: how a partner calling from address reached it.
	Path PathOf(const ENetAddress& address) const;

	const std::string& Code() const { return code; }
	const std::string& Server() const { return server; }
	const std::string& Reason() const { return reason; }
	const std::string& Ticket() const { return ticket; }

private:
	News Received(const std::string& text);
	News Failed(const std::string& why);
	// The host hears of a joiner: it punches toward it and binds its side
	// of the relay.
	void Caller(const ENetAddress& joiner, const std::string& given);
	void Punch(const ENetAddress& to);
	void BindRelay();

	EnetLink* link = nullptr;
	ENetPeer* coordinator = nullptr;
	std::string server;
	ENetAddress serverAddress{};
	ENetAddress relayAddress{};
	// Said to the coordinator once connected.
	std::string request;
	std::string code;
	std::string reason;
	std::string ticket;
	bool hosting = false;
	bool met = false;
	bool relaying = false;
	// This side's public address; the joiner's meeting: the host's public
	// and own addresses (the own one with port 0 when not given).
	ENetAddress self{};
	ENetAddress hostPublic{};
	ENetAddress hostLocal{};
	// The host: the public addresses of its last callers.
	std::deque<ENetAddress> callers;
};
