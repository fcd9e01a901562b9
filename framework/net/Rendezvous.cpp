#include "framework/net/Rendezvous.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "framework/net/EnetLink.h"

namespace
{
// The coordinator's relay listens on the port after its own.
constexpr uint16_t RelayPortOffset = 1;
// Datagrams sent at once to punch a router, or to bind the relay: a few,
// so that one lost on the way costs nothing.
constexpr int PunchDatagrams = 3;
constexpr int TicketDatagrams = 3;
// The host remembers this many callers, to name the path each came by.
constexpr std::size_t RememberedCallers = 16;

std::vector<std::string> Words(const std::string& text)
{
	std::vector<std::string> words;
	std::istringstream in(text);
	for (std::string word; in >> word;)
	{
		words.push_back(word);
	}
	return words;
}

// "A.B.C.D:PORT" as the coordinator writes it; false for anything else.
bool ParseEndpoint(const std::string& text, ENetAddress* address)
{
	const std::size_t colon = text.find(':');
	in_addr ip{};
	if (colon == std::string::npos || inet_pton(AF_INET, text.substr(0, colon).c_str(), &ip) != 1)
	{
		return false;
	}
	const std::string port = text.substr(colon + 1);
	if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
	{
		return false;
	}
	const long number = std::stol(port);
	if (number < 1 || number > UINT16_MAX)
	{
		return false;
	}
	address->host = ip.s_addr;
	address->port = static_cast<enet_uint16>(number);
	return true;
}

std::string EndpointText(const ENetAddress& address)
{
	char ip[INET_ADDRSTRLEN] = "?";
	in_addr raw{};
	raw.s_addr = address.host;
	inet_ntop(AF_INET, &raw, ip, sizeof(ip));
	return std::string(ip) + ":" + std::to_string(address.port);
}

bool SameEndpoint(const ENetAddress& a, const ENetAddress& b)
{
	return a.host == b.host && a.port == b.port;
}
} // namespace

const char* Rendezvous::NameOf(Path path)
{
	switch (path)
	{
	case Path::Direct:
		return "direct";
	case Path::Punched:
		return "punched";
	case Path::Relayed:
		return "relayed";
	}
	return "direct";
}

bool Rendezvous::Open(EnetLink& given, const std::string& name, std::string* error)
{
	server = name;
	const std::size_t colon = name.rfind(':');
	const std::string host = colon == std::string::npos ? name : name.substr(0, colon);
	const long port = colon == std::string::npos ? DefaultPort : std::atol(name.c_str() + colon + 1);
	if (host.empty() || port < 1 || port + RelayPortOffset > UINT16_MAX ||
		!EnetLink::Resolve(host, static_cast<uint16_t>(port), &serverAddress))
	{
		*error = "no coordinator at " + name + ": give --server HOST[:PORT]";
		return false;
	}
	relayAddress = serverAddress;
	relayAddress.port = static_cast<enet_uint16>(port + RelayPortOffset);
	link = &given;
	coordinator = link->Call(serverAddress);
	if (coordinator == nullptr)
	{
		*error = "no room to call the coordinator at " + name;
		return false;
	}
	return true;
}

void Rendezvous::Register(int version, uint16_t port)
{
	ENetAddress local{};
	local.host = EnetLink::LocalAddressToward(serverAddress);
	local.port = port;
	hosting = true;
	request = "host " + std::to_string(version) + (local.host != 0 ? " " + EndpointText(local) : "");
}

void Rendezvous::LookUp(const std::string& given, int version)
{
	code = given;
	request = "join " + given + " " + std::to_string(version);
}

Rendezvous::News Rendezvous::Handle(const ENetEvent& event)
{
	switch (event.type)
	{
	case ENET_EVENT_TYPE_CONNECT:
		EnetLink::Configure(coordinator);
		EnetLink::Send(coordinator, request);
		return News::Nothing;
	case ENET_EVENT_TYPE_RECEIVE:
	{
		const std::string text(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength);
		enet_packet_destroy(event.packet);
		return Received(text);
	}
	case ENET_EVENT_TYPE_DISCONNECT:
		coordinator = nullptr;
		// A joiner lets go of the coordinator once met; a host keeps it, as
		// its code lives as long as the connection.
		if (met)
		{
			return News::Nothing;
		}
		return Failed(hosting && !code.empty() ? "the coordinator at " + server + " went; the invite code " + code +
					" no longer works"
											   : "the coordinator at " + server + " did not answer");
	case ENET_EVENT_TYPE_NONE:
		break;
	}
	return News::Nothing;
}

Rendezvous::News Rendezvous::Received(const std::string& text)
{
	const std::vector<std::string> words = Words(text);
	ENetAddress address{};
	if (words.size() == 3 && words[0] == "code" && ParseEndpoint(words[2], &self))
	{
		code = words[1];
		return News::Registered;
	}
	if (words.size() == 3 && words[0] == "caller" && ParseEndpoint(words[1], &address))
	{
		Caller(address, words[2]);
		return News::Nothing;
	}
	if ((words.size() == 4 || words.size() == 5) && words[0] == "meet" && ParseEndpoint(words[1], &hostPublic) &&
		ParseEndpoint(words[2], &self) && (words.size() == 4 || ParseEndpoint(words[4], &hostLocal)))
	{
		ticket = words[3];
		met = true;
		EnetLink::LetGo(coordinator);
		return News::Met;
	}
	if (!words.empty() && words[0] == "refused")
	{
		return Failed("the coordinator at " + server + " refused: " + text.substr(text.find(' ') + 1));
	}
	std::fprintf(stderr, "contest: the coordinator at %s said something unknown: \"%.60s\"\n", server.c_str(),
		text.c_str());
	return News::Nothing;
}

Rendezvous::News Rendezvous::Failed(const std::string& why)
{
	reason = why;
	// A host's code is gone with its coordinator.
	if (hosting)
	{
		code.clear();
	}
	if (coordinator != nullptr)
	{
		EnetLink::LetGo(coordinator);
		coordinator = nullptr;
	}
	return News::Failed;
}

void Rendezvous::Caller(const ENetAddress& joiner, const std::string& given)
{
	callers.push_back(joiner);
	if (callers.size() > RememberedCallers)
	{
		callers.pop_front();
	}
	Punch(joiner);
	ticket = given;
	BindRelay();
}

ENetAddress Rendezvous::FirstTarget(Path* path)
{
	// Behind one router, the router would have to send the call back in
	// to its own network, which most do not: the host's own address is
	// the way.
	if (hostLocal.port != 0 && hostLocal.host != 0 && hostPublic.host == self.host)
	{
		*path = Path::Direct;
		return hostLocal;
	}
	*path = Path::Punched;
	Punch(hostPublic);
	return hostPublic;
}

ENetAddress Rendezvous::UseRelay()
{
	relaying = true;
	BindRelay();
	return relayAddress;
}

Rendezvous::Path Rendezvous::PathOf(const ENetAddress& address) const
{
	if (link != nullptr && SameEndpoint(address, relayAddress))
	{
		return Path::Relayed;
	}
	// A caller behind the same router as the host, or on its machine, came
	// the direct way whatever its address.
	for (const ENetAddress& caller : callers)
	{
		if (SameEndpoint(address, caller) && caller.host != self.host)
		{
			return Path::Punched;
		}
	}
	return Path::Direct;
}

void Rendezvous::Punch(const ENetAddress& to)
{
	for (int i = 0; i < PunchDatagrams; ++i)
	{
		link->SendRaw(to, EnetLink::PunchWord);
	}
}

void Rendezvous::BindRelay()
{
	for (int i = 0; i < TicketDatagrams; ++i)
	{
		link->SendRaw(relayAddress, "ticket " + ticket);
	}
}
