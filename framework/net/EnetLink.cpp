#include "framework/net/EnetLink.h"

#include <arpa/inet.h>
#include <sodium.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace
{
// A frame's inputs are a few hundred bytes at most, and a packet carries
// the frames of a round trip and twice the input delay, about a hundred on
// a slow link; the pieces of a game handed over fit it too. ENet refuses
// anything larger before putting it together.
constexpr std::size_t MaxPacketBytes = 65536;
// What ENet may hold for the program between two services: a few pieces
// of a game handed over.
constexpr std::size_t MaxWaitingBytes = 1 << 20;
// No one address takes more than a few of a host's peers.
constexpr std::size_t PeersPerAddress = 4;
// A partner whose packets ENet cannot get through for this long is gone,
// even while nothing else is heard from it.
constexpr enet_uint32 PeerTimeoutMinMs = 3000;
constexpr enet_uint32 PeerTimeoutMaxMs = 5000;
// A coordinator's relay says it has bound a side with this.
const char RelayWord[] = "relaying ";

bool StartsWith(const ENetHost* host, const char* word)
{
	const std::size_t length = std::strlen(word);
	return host->receivedDataLength >= length && std::memcmp(host->receivedData, word, length) == 0;
}

// ENet would take these for its own packets and throw them away with no
// harm, but they are not its to read; and what is not tagged as the
// connection's own never reaches it.
int ENET_CALLBACK TakeOwnDatagrams(ENetHost* host, ENetEvent*)
{
	if (StartsWith(host, EnetLink::PunchWord) || StartsWith(host, RelayWord))
	{
		return 1;
	}
	return PacketTags::AdmitInScope(host) ? 0 : 1;
}
} // namespace

EnetLink::~EnetLink()
{
	if (host != nullptr)
	{
		enet_host_destroy(host);
	}
	if (initialized)
	{
		enet_deinitialize();
	}
}

bool EnetLink::Open(const ENetAddress* address, std::size_t peers, std::string* error)
{
	if (!initialized && (enet_initialize() != 0 || sodium_init() < 0))
	{
		*error = "the network cannot be used";
		return false;
	}
	initialized = true;
	errno = 0;
	host = enet_host_create(address, peers, 1, 0, 0);
	if (host == nullptr)
	{
		const std::string reason = errno != 0 ? std::string(": ") + std::strerror(errno) : "";
		*error = (address != nullptr ? "UDP port " + std::to_string(address->port) + " cannot be opened"
									 : std::string("no UDP socket")) +
			reason;
		return false;
	}
	host->maximumPacketSize = MaxPacketBytes;
	host->maximumWaitingData = MaxWaitingBytes;
	host->duplicatePeers = PeersPerAddress;
	host->intercept = TakeOwnDatagrams;
	host->checksum = PacketTags::Checksum;
	// ENet seeds its connections' ids from the clock's second and where the
	// host lies in memory, which repeat from run to run where memory is laid
	// out the same (a sanitizer's allocator); a connection's tags are found
	// by that id.
	host->randomSeed = randombytes_random();
	return true;
}

bool EnetLink::Resolve(const std::string& name, uint16_t port, ENetAddress* address)
{
	address->host = ENET_HOST_ANY;
	address->port = port;
	return name.empty() || enet_address_set_host(address, name.c_str()) == 0;
}

ENetPeer* EnetLink::Call(const ENetAddress& address)
{
	ENetPeer* peer = enet_host_connect(host, &address, 1, 0);
	if (peer != nullptr)
	{
		enet_peer_timeout(peer, 0, UnconfirmedTimeoutMs, UnconfirmedTimeoutMs);
	}
	return peer;
}

bool EnetLink::Poll(ENetEvent* event, bool firstOfTurn)
{
	PacketTags::Scope scope(tags);
	const bool got = (firstOfTurn ? enet_host_service(host, event, 0) : enet_host_check_events(host, event)) > 0;
	if (got && event->type == ENET_EVENT_TYPE_DISCONNECT)
	{
		tags.Forget(event->peer->connectID);
	}
	return got;
}

void EnetLink::Configure(ENetPeer* peer)
{
	// Left to itself ENet drops unreliable packets when the round trip
	// varies; inputs travel unreliably and must not be thinned.
	enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, 0, 0);
	enet_peer_timeout(peer, 0, PeerTimeoutMinMs, PeerTimeoutMaxMs);
}

void EnetLink::ShortenHalfOpen(const ENetPeer* keep)
{
	for (std::size_t i = 0; i < host->peerCount; ++i)
	{
		ENetPeer& slot = host->peers[i];
		if (slot.state != ENET_PEER_STATE_CONNECTED && slot.state != ENET_PEER_STATE_DISCONNECTED &&
			slot.timeoutMaximum != UnconfirmedTimeoutMs && &slot != keep)
		{
			enet_peer_timeout(&slot, 0, UnconfirmedTimeoutMs, UnconfirmedTimeoutMs);
		}
	}
}

void EnetLink::Send(ENetPeer* peer, const std::string& text, bool reliable)
{
	ENetPacket* packet = enet_packet_create(
		text.data(), text.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
	if (packet != nullptr && enet_peer_send(peer, 0, packet) != 0)
	{
		enet_packet_destroy(packet);
	}
}

void EnetLink::LetGo(ENetPeer* peer, enet_uint32 data)
{
	enet_peer_disconnect_later(peer, data);
}

void EnetLink::Flush()
{
	PacketTags::Scope scope(tags);
	enet_host_flush(host);
}

void EnetLink::LetGoNow(ENetPeer* peer)
{
	PacketTags::Scope scope(tags);
	enet_peer_disconnect_now(peer, 0);
}

std::string EnetLink::AddressOf(const ENetPeer* peer)
{
	char text[64] = "?";
	enet_address_get_host_ip(&peer->address, text, sizeof(text));
	return std::string(text) + ":" + std::to_string(peer->address.port);
}

void EnetLink::ResetCounts()
{
	host->totalSentData = 0;
	host->totalReceivedData = 0;
}

void EnetLink::SendRaw(const ENetAddress& to, const std::string& bytes)
{
	ENetBuffer buffer;
	buffer.data = const_cast<char*>(bytes.data());
	buffer.dataLength = bytes.size();
	enet_socket_send(host->socket, &to, &buffer, 1);
}

enet_uint32 EnetLink::LocalAddressToward(const ENetAddress& address)
{
	// A datagram socket connected toward address holds the interface the
	// system would send from; nothing is sent.
	const int probe = socket(AF_INET, SOCK_DGRAM, 0);
	sockaddr_in toward{};
	toward.sin_family = AF_INET;
	toward.sin_addr.s_addr = address.host;
	toward.sin_port = htons(address.port);
	sockaddr_in local{};
	socklen_t size = sizeof(local);
	const bool found = probe >= 0 && connect(probe, reinterpret_cast<const sockaddr*>(&toward), sizeof(toward)) == 0 &&
		getsockname(probe, reinterpret_cast<sockaddr*>(&local), &size) == 0;
	if (probe >= 0)
	{
		close(probe);
	}
	return found ? local.sin_addr.s_addr : 0;
}
