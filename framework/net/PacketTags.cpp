#include "framework/net/PacketTags.h"

#include <arpa/inet.h>
#include <enet/protocol.h>

#include <algorithm>
#include <cstring>

namespace
{
thread_local PacketTags* tagsInScope = nullptr;

// Callers remembered for their wrong tries, and keyed connections; the
// oldest is forgotten first.
constexpr std::size_t MaxCallersRemembered = 256;
constexpr std::size_t MaxConnections = 8;


} // namespace

// Where ENet's header keeps the checksum: after the peer and, when the
// flag says so, the sent time. Before it computes one, ENet puts there the
// connection's id, or 0 before the connection stands.
std::size_t PacketTags::ChecksumOffset(const unsigned char* header)
{
	uint16_t peer = 0;
	std::memcpy(&peer, header, sizeof(peer));
	return (ntohs(peer) & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) != 0 ? 4 : 2;
}

enet_uint32 PacketTags::ConnectIdOf(const unsigned char* data, std::size_t size)
{
	if (size < sizeof(uint16_t))
	{
		return 0;
	}
	const std::size_t at = ChecksumOffset(data) + sizeof(enet_uint32);
	ENetProtocolConnect connect;
	if (size < at + sizeof(connect))
	{
		return 0;
	}
	std::memcpy(&connect, data + at, sizeof(connect));
	return (connect.header.command & ENET_PROTOCOL_COMMAND_MASK) == ENET_PROTOCOL_COMMAND_CONNECT ? connect.connectID
																								  : 0;
}

namespace
{
enet_uint32 Keyed(const PacketTags::Key& key, const ENetBuffer* buffers, std::size_t bufferCount)
{
	crypto_generichash_state state;
	crypto_generichash_init(&state, key.data(), key.size(), crypto_generichash_BYTES_MIN);
	for (std::size_t i = 0; i < bufferCount; ++i)
	{
		crypto_generichash_update(&state, static_cast<const unsigned char*>(buffers[i].data), buffers[i].dataLength);
	}
	unsigned char hash[crypto_generichash_BYTES_MIN];
	crypto_generichash_final(&state, hash, sizeof(hash));
	enet_uint32 tag = 0;
	std::memcpy(&tag, hash, sizeof(tag));
	return tag;
}
} // namespace

PacketTags::Scope::Scope(PacketTags& tags) : previous(tagsInScope)
{
	tagsInScope = &tags;
}

PacketTags::Scope::~Scope()
{
	tagsInScope = previous;
}

enet_uint32 ENET_CALLBACK PacketTags::Checksum(const ENetBuffer* buffers, std::size_t bufferCount)
{
	return tagsInScope != nullptr ? tagsInScope->TagOf(buffers, bufferCount) : enet_crc32(buffers, bufferCount);
}

enet_uint32 PacketTags::TagOf(const ENetBuffer* buffers, std::size_t bufferCount)
{
	const auto* header = static_cast<const unsigned char*>(buffers[0].data);
	const std::size_t at = ChecksumOffset(header);
	enet_uint32 id = 0;
	if (buffers[0].dataLength >= at + sizeof(id))
	{
		std::memcpy(&id, header + at, sizeof(id));
	}
	const Connection* connection = id != 0 ? Find(id) : nullptr;
	return connection != nullptr && connection->sealing ? Keyed(connection->key, buffers, bufferCount)
														: enet_crc32(buffers, bufferCount);
}

PacketTags::Connection* PacketTags::Find(enet_uint32 connectID)
{
	const auto found = std::find_if(connections.begin(), connections.end(),
		[connectID](const Connection& each) { return each.id == connectID; });
	return found != connections.end() ? &*found : nullptr;
}

void PacketTags::Expect(enet_uint32 connectID, const Key& key)
{
	Forget(connectID);
	if (connections.size() == MaxConnections)
	{
		connections.erase(connections.begin());
	}
	connections.push_back({connectID, key});
}

void PacketTags::Seal(enet_uint32 connectID)
{
	if (Connection* connection = Find(connectID))
	{
		connection->sealing = true;
	}
}

void PacketTags::Forget(enet_uint32 connectID)
{
	connections.erase(std::remove_if(connections.begin(), connections.end(),
						  [connectID](const Connection& each) { return each.id == connectID; }),
		connections.end());
}

bool PacketTags::WrongTry(enet_uint32 address)
{
	const Clock::time_point now = Clock::now();
	auto found = std::find_if(
		callers.begin(), callers.end(), [address](const Caller& each) { return each.address == address; });
	if (found == callers.end() || now - found->since > WrongTryWindow)
	{
		if (found != callers.end())
		{
			callers.erase(found);
		}
		if (callers.size() == MaxCallersRemembered)
		{
			callers.erase(callers.begin());
		}
		callers.push_back({address, 0, now});
		found = callers.end() - 1;
	}
	return ++found->wrongTries == WrongTriesAllowed;
}

bool PacketTags::IsIgnored(enet_uint32 address) const
{
	const Clock::time_point now = Clock::now();
	return std::any_of(callers.begin(), callers.end(), [address, now](const Caller& each) {
		return each.address == address && each.wrongTries >= WrongTriesAllowed && now - each.since <= WrongTryWindow;
	});
}

bool PacketTags::Drop()
{
	++dropped;
	return false;
}

bool PacketTags::AdmitInScope(ENetHost* host)
{
	return tagsInScope == nullptr || tagsInScope->Admit(host);
}

bool PacketTags::Admit(ENetHost* host)
{
	unsigned char* data = host->receivedData;
	const std::size_t size = host->receivedDataLength;
	enet_uint32 id = 0;
	if (size < sizeof(uint16_t) || size < ChecksumOffset(data) + sizeof(id))
	{
		// Too short for ENet, which drops it.
		return true;
	}
	uint16_t field = 0;
	std::memcpy(&field, data, sizeof(field));
	const uint16_t peerID = ntohs(field) & ~(ENET_PROTOCOL_HEADER_FLAG_MASK | ENET_PROTOCOL_HEADER_SESSION_MASK);
	if (peerID == ENET_PROTOCOL_MAXIMUM_PEER_ID)
	{
		// A new connection may not take the id of one that is keyed: its
		// datagrams would be tagged with a key it does not have. Its caller
		// calls again with another.
		return !IsIgnored(host->receivedAddress.host) &&
				(ConnectIdOf(data, size) == 0 || Find(ConnectIdOf(data, size)) == nullptr)
			? true
			: Drop();
	}
	if (peerID < host->peerCount)
	{
		id = host->peers[peerID].connectID;
	}
	Connection* connection = id != 0 ? Find(id) : nullptr;
	if (connection == nullptr)
	{
		// ENet checks the plain checksum itself. An address ignored for its
		// wrong tries is heard only on a connection whose key it proved.
		return IsIgnored(host->receivedAddress.host) ? Drop() : true;
	}
	const std::size_t at = ChecksumOffset(data);
	enet_uint32 given = 0;
	std::memcpy(&given, data + at, sizeof(given));
	std::memcpy(data + at, &id, sizeof(id));
	ENetBuffer whole;
	whole.data = data;
	whole.dataLength = size;
	if (Keyed(connection->key, &whole, 1) == given)
	{
		connection->heard = true;
	}
	else if (connection->heard || enet_crc32(&whole, 1) != given)
	{
		return Drop();
	}
	// ENet puts the id back and compares with its own checksum, which is
	// this one.
	const enet_uint32 expected = TagOf(&whole, 1);
	std::memcpy(data + at, &expected, sizeof(expected));
	return true;
}
