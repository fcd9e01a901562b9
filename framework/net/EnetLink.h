#pragma once

#include <enet/enet.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/net/PacketTags.h"

// The network under an online game: one ENet host on a UDP port (a game's
// host, waiting for callers) or on any port (a partner, calling one), its
// peers as handles, text packets on one channel. What the game says over it
// is the session's; this class knows only how it travels.
class EnetLink
{
public:
	// A connect that is not yet confirmed, and a call that is not
	// answered, are let go after this (ENet's own limits are about 30 s).
	static constexpr enet_uint32 UnconfirmedTimeoutMs = 2000;

	EnetLink() = default;
	~EnetLink();
	EnetLink(const EnetLink&) = delete;
	EnetLink& operator=(const EnetLink&) = delete;

	// Listens on address's port (its host ENET_HOST_ANY for every
	// interface) for up to peers callers, or, with address null, opens a
	// socket to call from. False, with the reason (the system's, when it
	// gives one).
	bool Open(const ENetAddress* address, std::size_t peers, std::string* error);
	bool IsOpen() const { return host != nullptr; }
	// The address of a host name or dotted quad; false when there is none.
	static bool Resolve(const std::string& name, uint16_t port, ENetAddress* address);
	// Starts a call, given up after UnconfirmedTimeoutMs; null when no peer
	// is free.
	ENetPeer* Call(const ENetAddress& address);
	// The next event: the first call of a turn reads the socket once, the
	// ones after take what it brought without asking the system again.
	bool Poll(ENetEvent* event, bool firstOfTurn);
	// A peer just connected: its unreliable packets are never thinned,
	// and a link that stops carrying is noticed within seconds.
	static void Configure(ENetPeer* peer);
	// ENet keeps a connect that never completes for about 30 s; a host
	// gives every peer but keep a few.
	void ShortenHalfOpen(const ENetPeer* keep);
	// Sends text reliably or unsequenced; a peer already letting go takes
	// nothing more.
	static void Send(ENetPeer* peer, const std::string& text, bool reliable = true);
	// The peer goes once what was queued for it has left, with data for
	// its disconnect event.
	static void LetGo(ENetPeer* peer, enet_uint32 data = 0);
	// The peer is told at once, with nothing more sent: the program ends.
	void LetGoNow(ENetPeer* peer);
	// The peer is dropped here without a word: a call given up.
	static void Forget(ENetPeer* peer) { enet_peer_reset(peer); }
	static bool IsConnected(const ENetPeer* peer) { return peer->state == ENET_PEER_STATE_CONNECTED; }
	// ENet's smoothed round trip to peer; 0 without one.
	static float RoundTripMs(const ENetPeer* peer)
	{
		return peer != nullptr ? static_cast<float>(peer->roundTripTime) : 0.0f;
	}
	void Flush();
	// A datagram of the program's own from the link's socket, beside ENet's:
	// for a router to see a hole punched, or for a relay. What arrives of
	// the kind (the punch, the relay's word) is taken off before ENet reads
	// it.
	void SendRaw(const ENetAddress& to, const std::string& bytes);
	static constexpr const char* PunchWord = "contest punch";
	// The address of this machine's interface toward address; 0 when none.
	static enet_uint32 LocalAddressToward(const ENetAddress& address);

	// The partner on peer has proved the invite's secret, or this side has
	// answered the host's challenge: their session's key tags the
	// connection's datagrams from now on (PacketTags), those this side
	// sends once it seals them.
	void Expect(const ENetPeer* peer, const PacketTags::Key& key) { tags.Expect(peer->connectID, key); }
	void Seal(const ENetPeer* peer) { tags.Seal(peer->connectID); }
	// A wrong proof from peer's address: true when the address is ignored
	// from now on, for a while.
	bool WrongTry(const ENetPeer* peer) { return tags.WrongTry(peer->address.host); }
	// Datagrams dropped unseen: a forged or stale tag, an ignored address.
	uint64_t DroppedDatagrams() const { return tags.Dropped(); }

	static std::string AddressOf(const ENetPeer* peer);
	// Bytes sent and received since the count was last reset.
	uint32_t SentBytes() const { return host->totalSentData; }
	uint32_t ReceivedBytes() const { return host->totalReceivedData; }
	void ResetCounts();

private:
	ENetHost* host = nullptr;
	bool initialized = false;
	PacketTags tags;
};
