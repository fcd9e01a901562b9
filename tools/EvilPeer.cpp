// A partner or host that misbehaves on purpose: an ENet peer that joins a
// host or hosts a partner over the loopback interface and then says
// whatever a script tells it to, when the script says so. The online game
// is tested against it, to show how the program fares with a malicious
// partner or host.
//
//   evilpeer [--clock] [--var NAME=VALUE]... SCRIPT
//
// SCRIPT is a file, or - for standard input. Every step prints one line of
// what happened on stdout (--clock puts the seconds since the start before
// each), so a test can read the transcript. Exit status 0 when every step
// passed, 1 at the first that failed (with "evilpeer: SCRIPT:LINE: why" on
// stderr), 2 for a bad script or command line. The whole script is read
// before any step runs. Only 127.x.x.x addresses are ever targets.
//
// One step a line; blank lines and lines starting with # are skipped.
//   connect HOST:PORT           join a host: a client with one peer starts
//                               connecting (expect connect waits for it)
//   listen PORT                 be a host on 127.0.0.1:PORT with room for 4
//                               callers; the first is the partner, the others
//                               are left unanswered
//   expect connect [SECONDS]    the connection is made; $1 the partner's address
//   expect KIND [SECONDS]       a packet whose first word is KIND; $0, $1, ...
//                               are the words of its first line
//   expect disconnect [SECONDS] the partner goes; $1 is its disconnect data
//   expect nothing SECONDS      the connection stays up that long
//   send MODE [TEXT]            MODE is reliable, unreliable or unsequenced;
//                               without TEXT, the packet built
//   begin                       start building a packet, empty
//   line [TEXT]                 append TEXT and a newline
//   repeat N line [TEXT]        append N such lines, $i counting from 0
//   bytes N [TEXT]              append N bytes of TEXT over and over (x's
//                               without TEXT)
//   flood SECONDS INTERVAL_MS MODE TEXT
//                               send TEXT ($i counting from 0) every
//                               INTERVAL_MS until SECONDS pass or the partner
//                               goes (which the line notes, no failure)
//   wait SECONDS                keep the connection up, saying nothing; a
//                               disconnect meanwhile is noted, no failure
//   halfopen HOST:PORT          a fresh client sends one connect and is never
//                               serviced again, so the far side's slot stays
//                               half open; kept until the script ends
//   raw HOST:PORT COUNT         COUNT datagrams of random bytes (the same in
//                               every run) from a plain UDP socket
//   disconnect [DATA]           leave with DATA (default 0) once what was sent
//                               has gone; the peer is reset after 3 s without
//                               the far side's answer
//   drop                        vanish: the peer reset and the socket closed,
//                               without a word
//   answer SECRET CHALLENGE     as a partner, answer the host's challenge
//                               with the invite's SECRET: $CHALLENGE is this
//                               side's own, $PROOF the proof for the hello;
//                               the session's key tags what comes from now on
//   greet SECRET CHALLENGE PARTNER_CHALLENGE
//                               as a host, prove SECRET to a partner that
//                               answered CHALLENGE: $PROOF for the welcome;
//                               the key tags both ways from now on
//   seal                        tag what is sent with the session's key
//   print [TEXT]                TEXT on stdout
//   set NAME [TEXT]             $NAME holds TEXT from now on
//   check A == B, check A != B  compare two texts
// SECONDS default to 5 and may have a fraction; none may exceed 600.
//
// Every word and TEXT is expanded as its step runs: \n \r \t \0 \\ \$ and
// \xHH stand for their bytes; $NAME for a --var, set or $i value (a name
// runs to the first character that is no letter, digit or _); $N for word
// N of the last packet (or disconnect) expected; ${EXPR} for a sum of whole
// numbers and variables, as in ${$3+$2-1}. A packet's word the script takes
// but the packet lacks is a failure; an unknown name is a bad script.
//
// Whatever arrives while no expect waits for it is kept (the last 4096
// packets) for the next expect, which skips packets of other kinds (a line
// counts them) and fails at a disconnect. A packet longer than a datagram
// travels in ENet's reliable fragments, whatever its mode. When the script
// ends, a connection still up is left as disconnect 0 leaves it.
#include <arpa/inet.h>
#include <enet/enet.h>
#include <sodium.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/net/InviteSecret.h"
#include "framework/net/PacketTags.h"
#include "tools/PeerScript.h"

namespace
{
using Clock = std::chrono::steady_clock;

constexpr double DefaultExpectSeconds = 5.0;
// The longest ENet is left waiting between looks at the step's clock.
constexpr int ServiceSliceMs = 10;
// How long a graceful disconnect may take before the peer is reset.
constexpr std::chrono::seconds DisconnectGrace{3};
// A listening host's room: the partner, and callers beyond it.
constexpr std::size_t ListenPeers = 4;
constexpr std::size_t InboxLimit = 4096;
// How much of a packet a transcript line shows.
constexpr std::size_t ShownBytes = 160;
constexpr std::size_t MaxHalfOpen = 64;
constexpr std::size_t MaxRawBytes = 1400;
constexpr unsigned RawSeed = 1;
constexpr int LoopbackNet = 127;

enum Status
{
	Passed = 0,
	Failed = 1,
	BadScript = 2,
};

struct Outcome
{
	int status = Passed;
	std::string why;
	bool Ok() const { return status == Passed; }
};

Outcome Fail(const std::string& why)
{
	return {Failed, why};
}

Outcome Bad(const std::string& why)
{
	return {BadScript, why};
}

struct Event
{
	enum class Kind
	{
		Connect,
		Packet,
		Disconnect,
	};
	Kind kind = Kind::Packet;
	// A packet's bytes; a connect's peer address.
	std::string text;
	// A disconnect's data.
	enet_uint32 data = 0;
};

double SecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double>(Clock::now() - start).count();
}

Clock::time_point After(double seconds)
{
	return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::string Fixed(double value)
{
	char text[32];
	std::snprintf(text, sizeof(text), "%.1f", value);
	return text;
}

// bytes on one line: escapes for what cannot be printed, one final newline
// left out, cut short (ending in ...) when long.
std::string Shown(const std::string& bytes)
{
	const std::size_t length =
		!bytes.empty() && bytes.back() == '\n' ? bytes.size() - 1 : bytes.size();
	std::string shown;
	for (std::size_t i = 0; i < length && shown.size() < ShownBytes; ++i)
	{
		const unsigned char c = static_cast<unsigned char>(bytes[i]);
		char escaped[8];
		std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
		shown += c == '\n' ? "\\n" : c == '\\' ? "\\\\" : (c < ' ' || c >= 127) ? escaped : std::string(1, bytes[i]);
	}
	return shown.size() >= ShownBytes ? shown + "..." : shown;
}

std::vector<std::string> FirstLineWords(const std::string& packet)
{
	std::istringstream line(packet.substr(0, packet.find('\n')));
	std::vector<std::string> words;
	for (std::string word; line >> word;)
	{
		words.push_back(word);
	}
	return words;
}

std::string KindOf(const Event& event)
{
	if (event.kind != Event::Kind::Packet)
	{
		return event.kind == Event::Kind::Connect ? "connect" : "disconnect";
	}
	const std::vector<std::string> words = FirstLineWords(event.text);
	return words.empty() ? "(no word)" : words[0];
}

std::string AddressOf(const ENetAddress& address)
{
	char text[64] = "?";
	enet_address_get_host_ip(&address, text, sizeof(text));
	return std::string(text) + ":" + std::to_string(address.port);
}

std::string Counted(const std::map<std::string, int>& counts)
{
	std::string text;
	for (const auto& [kind, count] : counts)
	{
		text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + kind;
	}
	return text;
}

Outcome Expanded(const std::string& raw, const ScriptVariables& variables, std::string* out)
{
	std::string error;
	const Expansion got = Expand(raw, variables, out, &error);
	return got == Expansion::Done ? Outcome{} : got == Expansion::BadScript ? Bad(error) : Fail(error);
}

// HOST:PORT, which must be on the loopback interface.
Outcome Loopback(const std::string& text, ENetAddress* address)
{
	const std::size_t colon = text.rfind(':');
	long long port = 0;
	if (colon == std::string::npos || !ParseInteger(text.substr(colon + 1), 1, ScriptLimits::MaxPort, &port))
	{
		return Bad("no HOST:PORT: " + text);
	}
	address->port = static_cast<enet_uint16>(port);
	if (enet_address_set_host(address, text.substr(0, colon).c_str()) != 0 ||
		(ENET_NET_TO_HOST_32(address->host) >> 24) != LoopbackNet)
	{
		return Bad(text + " is no loopback address");
	}
	return {};
}

// $i while a step repeats something: what $i held before comes back after.
class CountingVariable
{
public:
	explicit CountingVariable(ScriptVariables* variables) : named(variables->named)
	{
		const auto found = named.find(Name);
		hidden = found != named.end();
		hiddenValue = hidden ? found->second : "";
	}
	~CountingVariable()
	{
		hidden ? void(named[Name] = hiddenValue) : void(named.erase(Name));
	}
	CountingVariable(const CountingVariable&) = delete;
	CountingVariable& operator=(const CountingVariable&) = delete;
	void Set(long long count) { named[Name] = std::to_string(count); }

private:
	static constexpr const char* Name = "i";
	std::map<std::string, std::string>& named;
	bool hidden = false;
	std::string hiddenValue;
};

// Datagrams as the program tags them, so that the program hears this peer.
void TagDatagrams(ENetHost* host)
{
	// Connection ids from ENet's own seed repeat from run to run under a
	// sanitizer, and tags are found by them.
	host->randomSeed = randombytes_random();
	host->checksum = PacketTags::Checksum;
	host->intercept = [](ENetHost* receiving, ENetEvent*) { return PacketTags::AdmitInScope(receiving) ? 0 : 1; };
}

class EvilPeer
{
public:
	EvilPeer(ScriptVariables given, bool clock) : variables(std::move(given)), clocked(clock) {}
	~EvilPeer();
	Outcome Run(const ScriptStep& step);
	// Leaves a connection still up and lets go of every host.
	void Finish();

private:
	using Command = Outcome (EvilPeer::*)(const ScriptStep&);

	void Say(const std::string& line) const;
	Outcome Word(const ScriptStep& step, std::size_t index, std::string* out) const;
	Outcome Integer(const ScriptStep& step, std::size_t index, long long min, long long max, long long* value) const;
	Outcome Seconds(const ScriptStep& step, std::size_t index, double* value) const;
	Outcome Mode(const ScriptStep& step, std::size_t index, enet_uint32* flags) const;
	bool IsConnected() const { return partner != nullptr && partner->state == ENET_PEER_STATE_CONNECTED; }
	// One look at the network, waiting no later than until.
	Outcome Service(Clock::time_point until);
	void Take(const ENetEvent& event);
	void Keep(Event event);
	Outcome SendPacket(enet_uint32 flags, const std::string& packet);
	Outcome Append(const std::string& bytes);
	// What the step saw of a disconnect since it began, if any.
	std::string DisconnectNote(long before, Clock::time_point began) const;
	// Leaves gracefully; false if the far side did not answer in time.
	bool Leave(enet_uint32 data);
	void CloseHost();
	Outcome OpenHost(const ENetAddress* address, std::size_t peers);
	Outcome Matched(const Event& event, const std::map<std::string, int>& skipped);

	Outcome Connect(const ScriptStep& step);
	Outcome Listen(const ScriptStep& step);
	Outcome Expect(const ScriptStep& step);
	Outcome ExpectNothing(double seconds);
	Outcome Send(const ScriptStep& step);
	Outcome Begin(const ScriptStep& step);
	Outcome Line(const ScriptStep& step);
	Outcome Repeat(const ScriptStep& step);
	Outcome Bytes(const ScriptStep& step);
	Outcome Flood(const ScriptStep& step);
	Outcome Wait(const ScriptStep& step);
	Outcome HalfOpen(const ScriptStep& step);
	Outcome Raw(const ScriptStep& step);
	Outcome Disconnect(const ScriptStep& step);
	Outcome Drop(const ScriptStep& step);
	Outcome Answer(const ScriptStep& step);
	Outcome Greet(const ScriptStep& step);
	Outcome Seal(const ScriptStep& step);
	// SECRET as the step's first word.
	Outcome Secret(const ScriptStep& step, InviteSecret* secret) const;
	Outcome Print(const ScriptStep& step);
	Outcome Set(const ScriptStep& step);
	Outcome Check(const ScriptStep& step);

	ScriptVariables variables;
	bool clocked;
	const Clock::time_point started = Clock::now();
	ENetHost* host = nullptr;
	// The joiner's one peer from the moment it connects; a listener's first
	// caller. Null once it has gone.
	ENetPeer* partner = nullptr;
	bool listening = false;
	// This side is leaving: the far side's answer is no news for the script.
	bool leaving = false;
	std::deque<Event> inbox;
	std::size_t inboxDropped = 0;
	long packetsArrived = 0;
	long disconnects = 0;
	enet_uint32 lastDisconnectData = 0;
	Clock::time_point lastDisconnectAt;
	std::string built;
	std::vector<ENetHost*> halfOpen;
	std::mt19937 rawRandom{RawSeed};
	// The program's own tags on every datagram, keyed once a handshake
	// step has made the session's key.
	PacketTags tags;
	PacketTags::Scope tagsInScope{tags};
};

EvilPeer::~EvilPeer()
{
	Finish();
}

Outcome EvilPeer::Run(const ScriptStep& step)
{
	static const std::map<std::string, Command> commands = {
		{"connect", &EvilPeer::Connect},
		{"listen", &EvilPeer::Listen},
		{"expect", &EvilPeer::Expect},
		{"send", &EvilPeer::Send},
		{"begin", &EvilPeer::Begin},
		{"line", &EvilPeer::Line},
		{"repeat", &EvilPeer::Repeat},
		{"bytes", &EvilPeer::Bytes},
		{"flood", &EvilPeer::Flood},
		{"wait", &EvilPeer::Wait},
		{"halfopen", &EvilPeer::HalfOpen},
		{"raw", &EvilPeer::Raw},
		{"disconnect", &EvilPeer::Disconnect},
		{"drop", &EvilPeer::Drop},
		{"answer", &EvilPeer::Answer},
		{"greet", &EvilPeer::Greet},
		{"seal", &EvilPeer::Seal},
		{"print", &EvilPeer::Print},
		{"set", &EvilPeer::Set},
		{"check", &EvilPeer::Check},
	};
	const auto found = commands.find(step.command);
	return found == commands.end() ? Bad("no such command: " + step.command) : (this->*found->second)(step);
}

void EvilPeer::Finish()
{
	if (IsConnected())
	{
		Leave(0);
	}
	CloseHost();
	for (ENetHost* opened : halfOpen)
	{
		enet_host_destroy(opened);
	}
	halfOpen.clear();
}

void EvilPeer::Say(const std::string& line) const
{
	if (clocked)
	{
		std::printf("%7.3f ", SecondsSince(started));
	}
	std::printf("%s\n", line.c_str());
	std::fflush(stdout);
}

Outcome EvilPeer::Word(const ScriptStep& step, std::size_t index, std::string* out) const
{
	return Expanded(step.words[index], variables, out);
}

Outcome EvilPeer::Integer(const ScriptStep& step, std::size_t index, long long min, long long max,
	long long* value) const
{
	std::string word;
	Outcome outcome = Word(step, index, &word);
	if (outcome.Ok() && !ParseInteger(word, min, max, value))
	{
		outcome = Bad(step.command + " takes a whole number from " + std::to_string(min) + " to " +
			std::to_string(max) + ", not " + word);
	}
	return outcome;
}

Outcome EvilPeer::Seconds(const ScriptStep& step, std::size_t index, double* value) const
{
	std::string word;
	Outcome outcome = Word(step, index, &word);
	if (outcome.Ok() && !ParseSeconds(word, ScriptLimits::MaxSeconds, value))
	{
		outcome = Bad(step.command + " takes seconds up to " + Fixed(ScriptLimits::MaxSeconds) + ", not " + word);
	}
	return outcome;
}

Outcome EvilPeer::Mode(const ScriptStep& step, std::size_t index, enet_uint32* flags) const
{
	const std::string& mode = step.words[index];
	*flags = mode == "reliable" ? ENET_PACKET_FLAG_RELIABLE : mode == "unsequenced" ? ENET_PACKET_FLAG_UNSEQUENCED : 0;
	return mode == "reliable" || mode == "unreliable" || mode == "unsequenced" ? Outcome{}
																			   : Bad("no such mode: " + mode);
}

Outcome EvilPeer::Service(Clock::time_point until)
{
	const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
	const int waitMs = static_cast<int>(std::clamp<long long>(left, 0, ServiceSliceMs));
	if (host == nullptr)
	{
		std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
		return {};
	}
	ENetEvent event;
	for (int got = enet_host_service(host, &event, static_cast<enet_uint32>(waitMs)); got != 0;
		 got = enet_host_check_events(host, &event))
	{
		if (got < 0)
		{
			return Fail("ENet cannot service the connection");
		}
		Take(event);
	}
	return {};
}

void EvilPeer::Take(const ENetEvent& event)
{
	if (event.type == ENET_EVENT_TYPE_CONNECT && (event.peer == partner || (listening && partner == nullptr)))
	{
		partner = event.peer;
		// Left to itself ENet thins unreliable packets when the round trip
		// varies; a flood must arrive as sent.
		enet_peer_throttle_configure(partner, ENET_PEER_PACKET_THROTTLE_INTERVAL, 0, 0);
		// A joiner's acknowledgement of the host's answer leaves now: the
		// host counts the connection made only once it has that, and a drop
		// right after must not leave it half open.
		enet_host_flush(host);
		Keep({Event::Kind::Connect, AddressOf(partner->address), 0});
	}
	else if (event.type == ENET_EVENT_TYPE_CONNECT)
	{
		Say("another caller from " + AddressOf(event.peer->address) + ", left unanswered");
	}
	else if (event.type == ENET_EVENT_TYPE_RECEIVE)
	{
		if (event.peer == partner)
		{
			++packetsArrived;
			Keep({Event::Kind::Packet,
				std::string(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength), 0});
		}
		enet_packet_destroy(event.packet);
	}
	else if (event.type == ENET_EVENT_TYPE_DISCONNECT && event.peer == partner)
	{
		partner = nullptr;
		if (!leaving)
		{
			++disconnects;
			lastDisconnectData = event.data;
			lastDisconnectAt = Clock::now();
			Keep({Event::Kind::Disconnect, "", event.data});
		}
	}
}

void EvilPeer::Keep(Event event)
{
	if (inbox.size() >= InboxLimit)
	{
		const auto oldest = std::find_if(
			inbox.begin(), inbox.end(), [](const Event& kept) { return kept.kind == Event::Kind::Packet; });
		inbox.erase(oldest != inbox.end() ? oldest : inbox.begin());
		++inboxDropped;
	}
	inbox.push_back(std::move(event));
}

Outcome EvilPeer::SendPacket(enet_uint32 flags, const std::string& packet)
{
	if (!IsConnected())
	{
		return Fail("not connected: nothing can be sent");
	}
	if (packet.size() > host->maximumPacketSize)
	{
		return Fail("ENet refuses a packet of " + std::to_string(packet.size()) + " bytes (its limit is " +
			std::to_string(host->maximumPacketSize) + ")");
	}
	ENetPacket* sent = enet_packet_create(packet.data(), packet.size(), flags);
	if (sent == nullptr)
	{
		return Fail("no memory for a packet of " + std::to_string(packet.size()) + " bytes");
	}
	if (enet_peer_send(partner, 0, sent) != 0)
	{
		enet_packet_destroy(sent);
		return Fail("ENet refused to send a packet of " + std::to_string(packet.size()) + " bytes");
	}
	enet_host_flush(host);
	return {};
}

Outcome EvilPeer::Append(const std::string& bytes)
{
	if (built.size() + bytes.size() > static_cast<std::size_t>(ScriptLimits::MaxPacketBytes))
	{
		return Bad("the packet built would pass " + std::to_string(ScriptLimits::MaxPacketBytes) + " bytes");
	}
	built += bytes;
	return {};
}

std::string EvilPeer::DisconnectNote(long before, Clock::time_point began) const
{
	if (disconnects == before)
	{
		return "";
	}
	return "; disconnected (data " + std::to_string(lastDisconnectData) + ") after " +
		Fixed(std::chrono::duration<double>(lastDisconnectAt - began).count()) + " s";
}

bool EvilPeer::Leave(enet_uint32 data)
{
	leaving = true;
	enet_peer_disconnect_later(partner, data);
	const Clock::time_point deadline = Clock::now() + DisconnectGrace;
	while (partner != nullptr && Clock::now() < deadline && Service(deadline).Ok())
	{
	}
	const bool answered = partner == nullptr;
	if (!answered)
	{
		enet_peer_reset(partner);
		partner = nullptr;
	}
	leaving = false;
	return answered;
}

void EvilPeer::CloseHost()
{
	if (host != nullptr)
	{
		// Destroying the host resets its peers: nothing more is sent.
		enet_host_destroy(host);
	}
	host = nullptr;
	partner = nullptr;
	listening = false;
	inbox.clear();
}

Outcome EvilPeer::OpenHost(const ENetAddress* address, std::size_t peers)
{
	if (partner != nullptr)
	{
		return Bad("a connection is open: disconnect or drop it first");
	}
	CloseHost();
	host = enet_host_create(address, peers, 1, 0, 0);
	if (host == nullptr)
	{
		return Fail(address != nullptr ? "UDP port " + std::to_string(address->port) + " cannot be opened"
									   : "no UDP socket");
	}
	TagDatagrams(host);
	return {};
}

Outcome EvilPeer::Connect(const ScriptStep& step)
{
	std::string where;
	ENetAddress address{};
	Outcome outcome = Word(step, 0, &where);
	outcome = outcome.Ok() ? Loopback(where, &address) : outcome;
	outcome = outcome.Ok() ? OpenHost(nullptr, 1) : outcome;
	if (!outcome.Ok())
	{
		return outcome;
	}
	partner = enet_host_connect(host, &address, 1, 0);
	if (partner == nullptr)
	{
		return Fail("ENet cannot connect to " + where);
	}
	enet_host_flush(host);
	Say("connecting to " + AddressOf(address));
	return {};
}

Outcome EvilPeer::Listen(const ScriptStep& step)
{
	long long port = 0;
	Outcome outcome = Integer(step, 0, 1, ScriptLimits::MaxPort, &port);
	ENetAddress address{};
	address.port = static_cast<enet_uint16>(port);
	enet_address_set_host_ip(&address, "127.0.0.1");
	outcome = outcome.Ok() ? OpenHost(&address, ListenPeers) : outcome;
	if (outcome.Ok())
	{
		listening = true;
		Say("listening on " + AddressOf(address));
	}
	return outcome;
}

Outcome EvilPeer::Matched(const Event& event, const std::map<std::string, int>& skipped)
{
	if (!skipped.empty())
	{
		Say("skipped " + Counted(skipped));
	}
	switch (event.kind)
	{
	case Event::Kind::Connect:
		variables.words = {"connect", event.text};
		Say((listening ? "connected from " : "connected to ") + event.text);
		break;
	case Event::Kind::Disconnect:
		variables.words = {"disconnect", std::to_string(event.data)};
		Say("disconnected (data " + std::to_string(event.data) + ")");
		break;
	case Event::Kind::Packet:
		variables.words = FirstLineWords(event.text);
		Say("received " + Shown(event.text) +
			(event.text.size() > ShownBytes ? " (" + std::to_string(event.text.size()) + " bytes)" : ""));
		break;
	}
	return {};
}

Outcome EvilPeer::Expect(const ScriptStep& step)
{
	std::string kind;
	double seconds = DefaultExpectSeconds;
	Outcome outcome = Word(step, 0, &kind);
	outcome = outcome.Ok() && step.words.size() > 1 ? Seconds(step, 1, &seconds) : outcome;
	if (!outcome.Ok() || kind == "nothing")
	{
		return outcome.Ok() ? ExpectNothing(seconds) : outcome;
	}
	if (host == nullptr)
	{
		return Bad("expect before connect or listen");
	}
	if (inboxDropped > 0)
	{
		Say(std::to_string(inboxDropped) + " packets went unread: more than " + std::to_string(InboxLimit) + " waited");
		inboxDropped = 0;
	}
	const Clock::time_point began = Clock::now();
	const Clock::time_point deadline = After(seconds);
	std::map<std::string, int> skipped;
	while (true)
	{
		for (; !inbox.empty(); inbox.pop_front())
		{
			const Event& event = inbox.front();
			const std::string got = KindOf(event);
			if (got == kind)
			{
				const Event matched = event;
				inbox.pop_front();
				return Matched(matched, skipped);
			}
			if (event.kind == Event::Kind::Disconnect && kind == "connect" && !listening)
			{
				inbox.pop_front();
				return Fail("the connection failed after " + Fixed(SecondsSince(began)) + " s");
			}
			if (event.kind == Event::Kind::Disconnect && kind != "connect")
			{
				const std::string data = std::to_string(event.data);
				inbox.pop_front();
				return Fail("disconnected (data " + data + ") while waiting for " + kind);
			}
			++skipped[got];
		}
		const std::string note = skipped.empty() ? "" : " (skipped " + Counted(skipped) + ")";
		if (!listening && partner == nullptr)
		{
			return Fail("not connected while waiting for " + kind + note);
		}
		if (Clock::now() >= deadline)
		{
			return Fail("no " + kind + " within " + Fixed(seconds) + " s" + note);
		}
		outcome = Service(deadline);
		if (!outcome.Ok())
		{
			return outcome;
		}
	}
}

Outcome EvilPeer::ExpectNothing(double seconds)
{
	if (!IsConnected())
	{
		return Fail("not connected");
	}
	const long before = disconnects;
	const long packets = packetsArrived;
	const Clock::time_point began = Clock::now();
	const Clock::time_point deadline = After(seconds);
	while (Clock::now() < deadline)
	{
		Outcome outcome = Service(deadline);
		if (!outcome.Ok())
		{
			return outcome;
		}
		if (disconnects != before)
		{
			return Fail("disconnected (data " + std::to_string(lastDisconnectData) + ") after " +
				Fixed(SecondsSince(began)) + " s");
		}
	}
	Say("still connected after " + Fixed(seconds) + " s (" + std::to_string(packetsArrived - packets) +
		" packets arrived)");
	return {};
}

Outcome EvilPeer::Send(const ScriptStep& step)
{
	enet_uint32 flags = 0;
	std::string packet = built;
	Outcome outcome = Mode(step, 0, &flags);
	outcome = outcome.Ok() && step.hasText ? Expanded(step.text, variables, &packet) : outcome;
	outcome = outcome.Ok() ? SendPacket(flags, packet) : outcome;
	if (outcome.Ok())
	{
		Say("sent " + step.words[0] + " " + Shown(packet) + " (" + std::to_string(packet.size()) + " bytes)");
	}
	return outcome;
}

Outcome EvilPeer::Begin(const ScriptStep&)
{
	built.clear();
	Say("began a packet");
	return {};
}

Outcome EvilPeer::Line(const ScriptStep& step)
{
	std::string text;
	Outcome outcome = step.hasText ? Expanded(step.text, variables, &text) : Outcome{};
	outcome = outcome.Ok() ? Append(text + "\n") : outcome;
	if (outcome.Ok())
	{
		Say("appended " + Shown(text) + " (the packet is " + std::to_string(built.size()) + " bytes)");
	}
	return outcome;
}

Outcome EvilPeer::Repeat(const ScriptStep& step)
{
	long long count = 0;
	Outcome outcome = Integer(step, 0, 0, ScriptLimits::MaxRepeat, &count);
	CountingVariable index(&variables);
	std::string text;
	for (long long i = 0; outcome.Ok() && i < count; ++i)
	{
		index.Set(i);
		outcome = step.hasText ? Expanded(step.text, variables, &text) : Outcome{};
		outcome = outcome.Ok() ? Append(text + "\n") : outcome;
	}
	if (outcome.Ok())
	{
		Say("appended " + std::to_string(count) + " lines (the packet is " + std::to_string(built.size()) + " bytes)");
	}
	return outcome;
}

Outcome EvilPeer::Bytes(const ScriptStep& step)
{
	long long count = 0;
	std::string filler = "x";
	Outcome outcome = Integer(step, 0, 0, ScriptLimits::MaxPacketBytes, &count);
	outcome = outcome.Ok() && step.hasText ? Expanded(step.text, variables, &filler) : outcome;
	if (outcome.Ok() && filler.empty())
	{
		outcome = Bad("bytes of nothing");
	}
	std::string bytes;
	for (long long i = 0; outcome.Ok() && i < count; ++i)
	{
		bytes.push_back(filler[static_cast<std::size_t>(i) % filler.size()]);
	}
	outcome = outcome.Ok() ? Append(bytes) : outcome;
	if (outcome.Ok())
	{
		Say("appended " + std::to_string(count) + " bytes (the packet is " + std::to_string(built.size()) + " bytes)");
	}
	return outcome;
}

Outcome EvilPeer::Flood(const ScriptStep& step)
{
	double seconds = 0.0;
	long long intervalMs = 0;
	enet_uint32 flags = 0;
	Outcome outcome = Seconds(step, 0, &seconds);
	outcome = outcome.Ok() ? Integer(step, 1, 1, ScriptLimits::MaxIntervalMs, &intervalMs) : outcome;
	outcome = outcome.Ok() ? Mode(step, 2, &flags) : outcome;
	if (outcome.Ok() && !IsConnected())
	{
		outcome = Fail("not connected: nothing can be sent");
	}
	const long before = disconnects;
	const Clock::time_point began = Clock::now();
	const Clock::time_point deadline = After(seconds);
	Clock::time_point next = began;
	long sent = 0;
	CountingVariable index(&variables);
	while (outcome.Ok() && IsConnected() && Clock::now() < deadline)
	{
		if (Clock::now() >= next)
		{
			std::string packet;
			index.Set(sent);
			outcome = Expanded(step.text, variables, &packet);
			outcome = outcome.Ok() ? SendPacket(flags, packet) : outcome;
			++sent;
			next += std::chrono::milliseconds(intervalMs);
		}
		outcome = outcome.Ok() ? Service(std::min(next, deadline)) : outcome;
	}
	if (outcome.Ok())
	{
		Say("flooded " + std::to_string(sent) + " " + step.words[2] + " packets in " + Fixed(SecondsSince(began)) +
			" s" + DisconnectNote(before, began));
	}
	return outcome;
}

Outcome EvilPeer::Wait(const ScriptStep& step)
{
	double seconds = 0.0;
	Outcome outcome = Seconds(step, 0, &seconds);
	const long before = disconnects;
	const long packets = packetsArrived;
	const Clock::time_point began = Clock::now();
	const Clock::time_point deadline = After(seconds);
	while (outcome.Ok() && Clock::now() < deadline)
	{
		outcome = Service(deadline);
	}
	if (outcome.Ok())
	{
		Say("waited " + Fixed(seconds) + " s (" + std::to_string(packetsArrived - packets) + " packets arrived)" +
			DisconnectNote(before, began));
	}
	return outcome;
}

Outcome EvilPeer::HalfOpen(const ScriptStep& step)
{
	std::string where;
	ENetAddress address{};
	Outcome outcome = Word(step, 0, &where);
	outcome = outcome.Ok() ? Loopback(where, &address) : outcome;
	if (outcome.Ok() && halfOpen.size() >= MaxHalfOpen)
	{
		outcome = Bad("more than " + std::to_string(MaxHalfOpen) + " half-open connections");
	}
	if (!outcome.Ok())
	{
		return outcome;
	}
	ENetHost* opened = enet_host_create(nullptr, 1, 1, 0, 0);
	if (opened == nullptr)
	{
		return Fail("no UDP socket");
	}
	TagDatagrams(opened);
	halfOpen.push_back(opened);
	if (enet_host_connect(opened, &address, 1, 0) == nullptr)
	{
		return Fail("ENet cannot connect to " + where);
	}
	// The connect leaves now; the answer is never read, nor anything sent
	// again.
	enet_host_flush(opened);
	sockaddr_in own{};
	socklen_t ownSize = sizeof(own);
	getsockname(opened->socket, reinterpret_cast<sockaddr*>(&own), &ownSize);
	Say("half-opened a connection to " + AddressOf(address) + " from port " + std::to_string(ntohs(own.sin_port)));
	return {};
}

Outcome EvilPeer::Raw(const ScriptStep& step)
{
	std::string where;
	ENetAddress address{};
	long long count = 0;
	Outcome outcome = Word(step, 0, &where);
	outcome = outcome.Ok() ? Loopback(where, &address) : outcome;
	outcome = outcome.Ok() ? Integer(step, 1, 1, ScriptLimits::MaxRawDatagrams, &count) : outcome;
	const int fd = outcome.Ok() ? socket(AF_INET, SOCK_DGRAM, 0) : -1;
	if (outcome.Ok() && fd < 0)
	{
		outcome = Fail("no UDP socket");
	}
	if (!outcome.Ok())
	{
		return outcome;
	}
	sockaddr_in target{};
	target.sin_family = AF_INET;
	target.sin_addr.s_addr = address.host;
	target.sin_port = htons(address.port);
	std::uniform_int_distribution<std::size_t> size(1, MaxRawBytes);
	std::uniform_int_distribution<int> byte(0, 255);
	std::vector<unsigned char> datagram;
	long long bytes = 0;
	long long failed = 0;
	for (long long i = 0; i < count; ++i)
	{
		datagram.resize(size(rawRandom));
		std::generate(datagram.begin(), datagram.end(), [&] { return static_cast<unsigned char>(byte(rawRandom)); });
		const bool gone = sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&target),
			sizeof(target)) == static_cast<ssize_t>(datagram.size());
		bytes += gone ? static_cast<long long>(datagram.size()) : 0;
		failed += gone ? 0 : 1;
	}
	close(fd);
	Say("sent " + std::to_string(count - failed) + " raw datagrams (" + std::to_string(bytes) + " bytes) to " +
		AddressOf(address) + (failed > 0 ? "; " + std::to_string(failed) + " could not be sent" : ""));
	return {};
}

Outcome EvilPeer::Disconnect(const ScriptStep& step)
{
	long long data = 0;
	Outcome outcome = step.words.empty() ? Outcome{} : Integer(step, 0, 0, ScriptLimits::MaxData, &data);
	if (outcome.Ok() && !IsConnected())
	{
		outcome = Fail("not connected: nothing to disconnect");
	}
	if (outcome.Ok())
	{
		const bool answered = Leave(static_cast<enet_uint32>(data));
		Say("disconnected with data " + std::to_string(data) +
			(answered ? "" : "; no answer within " + std::to_string(DisconnectGrace.count()) + " s, reset"));
	}
	return outcome;
}

Outcome EvilPeer::Drop(const ScriptStep&)
{
	if (host == nullptr)
	{
		return Fail("nothing to drop");
	}
	CloseHost();
	Say("dropped without a word");
	return {};
}

Outcome EvilPeer::Print(const ScriptStep& step)
{
	std::string text;
	Outcome outcome = step.hasText ? Expanded(step.text, variables, &text) : Outcome{};
	if (outcome.Ok())
	{
		Say(text);
	}
	return outcome;
}

Outcome EvilPeer::Secret(const ScriptStep& step, InviteSecret* secret) const
{
	std::string text;
	Outcome outcome = Word(step, 0, &text);
	if (outcome.Ok() && !InviteSecret::Parse(text, secret))
	{
		outcome = Bad("no invite's secret: " + Shown(text));
	}
	if (outcome.Ok() && partner == nullptr)
	{
		outcome = Bad("no connection to prove it on");
	}
	return outcome;
}

Outcome EvilPeer::Answer(const ScriptStep& step)
{
	InviteSecret secret;
	std::string host;
	Outcome outcome = Secret(step, &secret);
	outcome = outcome.Ok() ? Word(step, 1, &host) : outcome;
	if (!outcome.Ok())
	{
		return outcome;
	}
	const std::string own = InviteSecret::Challenge();
	variables.named["CHALLENGE"] = own;
	variables.named["PROOF"] = secret.PartnerProof(host, own);
	tags.Expect(partner->connectID, secret.SessionKey(host, own));
	Say("answered the challenge");
	return {};
}

Outcome EvilPeer::Greet(const ScriptStep& step)
{
	InviteSecret secret;
	std::string own;
	std::string theirs;
	Outcome outcome = Secret(step, &secret);
	outcome = outcome.Ok() ? Word(step, 1, &own) : outcome;
	outcome = outcome.Ok() ? Word(step, 2, &theirs) : outcome;
	if (!outcome.Ok())
	{
		return outcome;
	}
	variables.named["PROOF"] = secret.HostProof(own, theirs);
	tags.Expect(partner->connectID, secret.SessionKey(own, theirs));
	tags.Seal(partner->connectID);
	Say("greeted the partner");
	return {};
}

Outcome EvilPeer::Seal(const ScriptStep&)
{
	if (partner == nullptr)
	{
		return Bad("no connection to seal");
	}
	tags.Seal(partner->connectID);
	Say("sealed");
	return {};
}

Outcome EvilPeer::Set(const ScriptStep& step)
{
	std::string value;
	Outcome outcome = step.hasText ? Expanded(step.text, variables, &value) : Outcome{};
	if (outcome.Ok())
	{
		variables.named[step.words[0]] = value;
		Say("$" + step.words[0] + " is " + Shown(value));
	}
	return outcome;
}

Outcome EvilPeer::Check(const ScriptStep& step)
{
	const std::size_t equal = step.text.find(" == ");
	const std::size_t unequal = step.text.find(" != ");
	const std::size_t at = std::min(equal, unequal);
	const bool wantEqual = at == equal;
	std::string left;
	std::string right;
	Outcome outcome = Expanded(step.text.substr(0, at), variables, &left);
	outcome = outcome.Ok() ? Expanded(step.text.substr(at + 4), variables, &right) : outcome;
	if (!outcome.Ok())
	{
		return outcome;
	}
	const std::string comparison = Shown(left) + (wantEqual ? " == " : " != ") + Shown(right);
	if ((left == right) != wantEqual)
	{
		return Fail("check failed: " + comparison);
	}
	Say("checked " + comparison);
	return {};
}

struct Arguments
{
	ScriptVariables variables;
	bool clock = false;
	std::string script;
};

bool ParseArguments(int argc, char** argv, Arguments* arguments)
{
	for (int i = 1; i < argc - 1; ++i)
	{
		const std::string argument = argv[i];
		const std::string assignment = i + 2 < argc ? argv[i + 1] : "";
		const std::size_t equals = assignment.find('=');
		if (argument == "--clock")
		{
			arguments->clock = true;
		}
		else if (argument == "--var" && equals != std::string::npos && IsName(assignment.substr(0, equals)))
		{
			arguments->variables.named[assignment.substr(0, equals)] = assignment.substr(equals + 1);
			++i;
		}
		else
		{
			return false;
		}
	}
	arguments->script = argc > 1 ? argv[argc - 1] : "";
	return arguments->script == "-" || (!arguments->script.empty() && arguments->script[0] != '-');
}

// The script's steps; false with "SCRIPT:LINE: why" or "SCRIPT: why".
bool ReadScript(const std::string& path, std::vector<ScriptStep>* steps, std::string* error)
{
	std::ifstream file;
	if (path != "-")
	{
		file.open(path);
	}
	if (path != "-" && !file)
	{
		*error = path + ": cannot be read";
		return false;
	}
	if (!ParseScript(path == "-" ? std::cin : file, steps, error))
	{
		*error = path + ":" + *error;
		return false;
	}
	return true;
}
} // namespace

int main(int argc, char** argv)
{
	Arguments arguments;
	if (!ParseArguments(argc, argv, &arguments))
	{
		std::fprintf(stderr, "usage: %s [--clock] [--var NAME=VALUE]... SCRIPT|-\n", argv[0]);
		return BadScript;
	}
	std::vector<ScriptStep> steps;
	std::string error;
	if (!ReadScript(arguments.script, &steps, &error))
	{
		std::fprintf(stderr, "evilpeer: %s\n", error.c_str());
		return BadScript;
	}
	if (enet_initialize() != 0 || sodium_init() < 0)
	{
		std::fprintf(stderr, "evilpeer: the network cannot be used\n");
		return Failed;
	}
	int status = Passed;
	{
		EvilPeer peer(arguments.variables, arguments.clock);
		for (const ScriptStep& step : steps)
		{
			const Outcome outcome = peer.Run(step);
			if (!outcome.Ok())
			{
				std::fprintf(stderr, "evilpeer: %s:%d: %s\n", arguments.script.c_str(), step.line, outcome.why.c_str());
				status = outcome.status;
				break;
			}
		}
	}
	enet_deinitialize();
	return status;
}
