#include "tools/coordinator/Coordinator.h"

#include <arpa/inet.h>
#include <sodium.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace
{
// Letters that cannot be taken for one another when read out or typed.
const std::string CodeAlphabet = "ACDEFGHJKMNPRTWXY";
constexpr int CodeLetters = 4;
// Tries at a free code before the server says it is full: with at most a
// thousand of some eighty thousand codes taken, one try nearly always does.
constexpr int CodeTries = 100;
// Enough for a message and ENet's own, and nothing like a flood.
constexpr std::size_t MaxPacketBytes = 4096;
constexpr std::size_t MaxWaitingBytes = 1 << 16;
constexpr std::size_t MaxVersionDigits = 9;

// The words of text, which are separated by single spaces; false when a
// word is empty or a character is not printable.
bool SplitWords(const std::string& text, std::vector<std::string>* words)
{
	std::size_t start = 0;
	for (;;)
	{
		const std::size_t end = std::min(text.find(' ', start), text.size());
		if (end == start)
		{
			return false;
		}
		words->push_back(text.substr(start, end - start));
		if (end == text.size())
		{
			break;
		}
		start = end + 1;
	}
	// Bytes past ASCII are negative as chars and so not printable here.
	return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c != 0x7f; });
}

bool ParseVersion(const std::string& word, long* version)
{
	if (word.empty() || word.size() > MaxVersionDigits ||
		!std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
	{
		return false;
	}
	*version = std::stol(word);
	return true;
}

// ADDR:PORT with a dotted IPv4 address and a port of 1-65535: where a host's
// game socket is on its own network, for a joiner on the same network.
bool IsLocalAddress(const std::string& word)
{
	const std::size_t colon = word.find(':');
	if (colon == std::string::npos)
	{
		return false;
	}
	const std::string port = word.substr(colon + 1);
	in_addr address{};
	if (inet_pton(AF_INET, word.substr(0, colon).c_str(), &address) != 1 || port.empty() || port.size() > 5 ||
		port[0] == '0' || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
	{
		return false;
	}
	return std::stol(port) <= 65535;
}

std::string Upper(std::string text)
{
	std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
	return text;
}
} // namespace

Coordinator::~Coordinator()
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

bool Coordinator::Open(const ENetAddress& address, std::string* error)
{
	if (enet_initialize() != 0)
	{
		*error = "the network cannot be used";
		return false;
	}
	initialized = true;
	errno = 0;
	host = enet_host_create(&address, MaxPeers, 1, 0, 0);
	if (host == nullptr)
	{
		*error = "UDP port " + std::to_string(address.port) + " cannot be opened" +
			(errno != 0 ? std::string(": ") + std::strerror(errno) : "");
		return false;
	}
	host->maximumPacketSize = MaxPacketBytes;
	host->maximumWaitingData = MaxWaitingBytes;
	// Games tag their datagrams where ENet keeps a checksum; with a
	// coordinator, whom they need not prove anything to, that is ENet's own.
	host->checksum = enet_crc32;
	return true;
}

void Coordinator::Serve(Clock::time_point now)
{
	ENetEvent event;
	while (enet_host_service(host, &event, 0) > 0)
	{
		if (event.type == ENET_EVENT_TYPE_CONNECT)
		{
			enet_peer_timeout(event.peer, 0, PeerTimeoutMinMs, PeerTimeoutMaxMs);
			visitors[event.peer] = {now, ""};
		}
		else if (event.type == ENET_EVENT_TYPE_DISCONNECT)
		{
			OnGone(event.peer);
		}
		else if (event.type == ENET_EVENT_TYPE_RECEIVE)
		{
			const std::string text(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength);
			enet_packet_destroy(event.packet);
			OnPacket(event.peer, text, now);
		}
	}
	for (auto& [peer, visitor] : visitors)
	{
		if (visitor.code.empty() && now - visitor.since > VisitorLifetime && peer->state == ENET_PEER_STATE_CONNECTED)
		{
			enet_peer_disconnect(peer, 0);
		}
	}
}

void Coordinator::OnPacket(ENetPeer* peer, const std::string& text, Clock::time_point now)
{
	std::vector<std::string> words;
	if (visitors.count(peer) == 0 || peer->state != ENET_PEER_STATE_CONNECTED)
	{
		Drop(peer, text, "it was already answered");
	}
	else if (text.size() > MaxMessageBytes)
	{
		Drop(peer, text, "longer than " + std::to_string(MaxMessageBytes) + " bytes");
	}
	else if (!SplitWords(text, &words))
	{
		Drop(peer, text, "not words separated by single spaces");
	}
	else if (words[0] == "host")
	{
		Host(peer, words, text);
	}
	else if (words[0] == "join")
	{
		Join(peer, words, text, now);
	}
	else
	{
		Drop(peer, text, "no such request");
	}
}

void Coordinator::Host(ENetPeer* peer, const std::vector<std::string>& words, const std::string& text)
{
	long version = 0;
	if (words.size() < 2 || words.size() > 3 || !ParseVersion(words[1], &version))
	{
		Drop(peer, text, "a host names its version, a number, and its local ADDR:PORT or nothing more");
		return;
	}
	const std::string local = words.size() == 3 ? words[2] : "";
	if (!local.empty() && !IsLocalAddress(local))
	{
		Drop(peer, text, "a host's local address is a dotted IPv4 address and a port of 1-65535");
		return;
	}
	Visitor& visitor = visitors[peer];
	if (!visitor.code.empty())
	{
		Drop(peer, text, "it already hosts " + visitor.code);
		return;
	}
	const std::string code = codes.size() < MaxHosts ? NewCode() : "";
	if (code.empty())
	{
		AnswerAndLetGo(peer, "refused full");
		return;
	}
	visitor.code = code;
	codes[code] = {peer, version, local};
	Send(peer, "code " + code + " " + AddressOf(peer));
}

void Coordinator::Join(ENetPeer* peer, const std::vector<std::string>& words, const std::string& text,
	Clock::time_point now)
{
	long version = 0;
	if (words.size() != 3 || !ParseVersion(words[2], &version))
	{
		Drop(peer, text, "a joiner names a code and its version, a number, and nothing more");
		return;
	}
	if (!visitors[peer].code.empty())
	{
		Drop(peer, text, "it hosts, and cannot join as well");
		return;
	}
	const auto found = codes.find(Upper(words[1]));
	if (found == codes.end())
	{
		AnswerAndLetGo(peer, "refused no such code");
		return;
	}
	const Registration& registration = found->second;
	if (registration.version != version)
	{
		AnswerAndLetGo(peer, "refused other version " + std::to_string(registration.version));
		return;
	}
	if (!relay.HasRoom())
	{
		AnswerAndLetGo(peer, "refused busy");
		return;
	}
	const std::string ticket = relay.NewTicket(now);
	Send(registration.peer, "caller " + AddressOf(peer) + " " + ticket);
	AnswerAndLetGo(peer, "meet " + AddressOf(registration.peer) + " " + AddressOf(peer) + " " + ticket +
			(registration.localAddress.empty() ? "" : " " + registration.localAddress));
}

void Coordinator::OnGone(ENetPeer* peer)
{
	const auto visitor = visitors.find(peer);
	if (visitor == visitors.end())
	{
		return;
	}
	codes.erase(visitor->second.code);
	visitors.erase(visitor);
}

std::string Coordinator::NewCode() const
{
	for (int attempt = 0; attempt < CodeTries; ++attempt)
	{
		std::string code(1, id);
		for (int i = 0; i < CodeLetters; ++i)
		{
			code += CodeAlphabet[randombytes_uniform(static_cast<uint32_t>(CodeAlphabet.size()))];
		}
		if (codes.count(code) == 0)
		{
			return code;
		}
	}
	return "";
}

void Coordinator::Send(ENetPeer* peer, const std::string& text)
{
	ENetPacket* packet = enet_packet_create(text.data(), text.size(), ENET_PACKET_FLAG_RELIABLE);
	if (packet != nullptr && enet_peer_send(peer, 0, packet) != 0)
	{
		enet_packet_destroy(packet);
	}
}

void Coordinator::AnswerAndLetGo(ENetPeer* peer, const std::string& text)
{
	Send(peer, text);
	enet_peer_disconnect_later(peer, 0);
}

void Coordinator::Drop(const ENetPeer* peer, const std::string& text, const std::string& reason)
{
	log.Dropped(text, AddressOf(peer), reason);
}

std::string Coordinator::AddressOf(const ENetPeer* peer)
{
	char text[64] = "?";
	enet_address_get_host_ip(&peer->address, text, sizeof(text));
	return std::string(text) + ":" + std::to_string(peer->address.port);
}
