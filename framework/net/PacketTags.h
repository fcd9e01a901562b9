#pragma once

#include <enet/enet.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "framework/net/InviteSecret.h"

// Who may speak to an online game. Every datagram carries a tag where ENet
// keeps its checksum: until a connection has a session key, ENet's own
// checksum; once a partner has proved the invite's secret, a keyed hash
// under the session's key, and from the first datagram that carries one,
// only datagrams that do are taken. The rest are dropped unseen, before ENet
// reads them, and so is everything from an address ignored for its wrong
// tries. A tag is 32 bits, what ENet's header holds: a forger must send
// billions of datagrams for one to pass.
//
// ENet asks for a checksum without saying for which host: the tags of the
// link being serviced are the ones in Scope on this thread.
class PacketTags
{
public:
	using Clock = std::chrono::steady_clock;
	using Key = InviteSecret::Key;

	// An address is ignored after this many wrong proofs within the window,
	// for the window.
	static constexpr int WrongTriesAllowed = 3;
	static constexpr std::chrono::seconds WrongTryWindow{60};

	// ENet's checksum callback for a host whose datagrams are tagged.
	static enet_uint32 ENET_CALLBACK Checksum(const ENetBuffer* buffers, std::size_t bufferCount);

	// While one lives, ENet's calls on this thread tag with tags.
	class Scope
	{
	public:
		explicit Scope(PacketTags& tags);
		~Scope();
		Scope(const Scope&) = delete;
		Scope& operator=(const Scope&) = delete;

	private:
		PacketTags* previous;
	};

	// The connection of connectID has key: its datagrams tagged with it are
	// taken from now on, and once one has come, only those.
	void Expect(enet_uint32 connectID, const Key& key);
	// This side tags what it sends on the connection with its key.
	void Seal(enet_uint32 connectID);
	void Forget(enet_uint32 connectID);
	// A wrong proof from address: true when that makes it ignored.
	bool WrongTry(enet_uint32 address);
	// For a host's intercept: whether the datagram it received may reach
	// ENet, whose checksum check it then passes; the tags in scope decide,
	// and without any ENet alone does.
	static bool AdmitInScope(ENetHost* host);
	// The id a connect asks for, when the datagram's first command is one;
	// 0 otherwise.
	static enet_uint32 ConnectIdOf(const unsigned char* datagram, std::size_t size);
	// Where ENet's header keeps the checksum in a datagram that starts with
	// header.
	static std::size_t ChecksumOffset(const unsigned char* header);
	// Datagrams dropped unseen so far.
	uint64_t Dropped() const { return dropped; }

private:
	struct Connection
	{
		enet_uint32 id;
		Key key;
		bool sealing = false;
		bool heard = false;
	};
	struct Caller
	{
		enet_uint32 address;
		int wrongTries;
		Clock::time_point since;
	};

	Connection* Find(enet_uint32 connectID);
	bool IsIgnored(enet_uint32 address) const;
	enet_uint32 TagOf(const ENetBuffer* buffers, std::size_t bufferCount);
	bool Admit(ENetHost* host);
	bool Drop();

	std::vector<Connection> connections;
	std::vector<Caller> callers;
	uint64_t dropped = 0;
};
