#pragma once

#include <enet/enet.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "framework/Lockstep.h"

// One game played by two machines over the network: the host waits for a
// partner on a UDP port, the partner joins it; once both run the same
// program, both build the game afresh from the host's random seed and play
// in lockstep. Only inputs travel, on ENet's reliable, ordered channel.
class OnlineSession
{
public:
	static constexpr uint16_t DefaultPort = 47820;
	// Changes whenever what travels changes.
	static constexpr int ProtocolVersion = 1;
	// A partner silent this long has left.
	static constexpr std::chrono::seconds PartnerTimeout{3};

	struct Options
	{
		bool host = false;
		// The host's interface (empty: all) or the host to join.
		std::string address;
		uint16_t port = DefaultPort;
		// Frames of input delay; 0 to choose from the measured round trip.
		int delay = 0;
	};

	~OnlineSession();

	// Opens the host's port or starts joining. False, with the reason, when
	// the network cannot be used.
	bool Open(const Options& options, std::string* error);
	bool IsOpen() const { return host != nullptr; }
	// Called when lockstep starts, to build the game afresh from seed.
	void OnStart(std::function<void(unsigned seed)> start) { onStart = std::move(start); }
	// Called when the partner has gone and the game goes on alone.
	void OnPartnerLeft(std::function<void()> left) { onPartnerLeft = std::move(left); }

	// Once per tick of the frame clock: the network's news, and what this
	// machine has to send.
	void Service();
	// The partner's program could not play with this one: the status to
	// leave with (a joiner only), else 0.
	int FailedStatus() const { return failedStatus; }
	// One line for the screen: where the host waits, the partner met, or
	// that lockstep waits.
	std::string StatusLine() const;
	Lockstep& GetLockstep() { return lockstep; }

private:
	void Handle(const ENetEvent& event);
	void Connected(ENetPeer* peer);
	void Received(const std::string& packet);
	void Hello(const std::string& version, int protocol);
	void Welcome(unsigned seed, int delay);
	void Refused(const std::string& version, int protocol);
	// Lockstep starts, and the counts of what travels with it.
	void Begin(Lockstep::Side side, unsigned seed, int delay);
	void Batch(const std::string& packet);
	void Send(const std::string& packet);
	// Drops the partner with a reason on stderr; the game goes on alone.
	void Drop(const std::string& reason);

	Options options;
	ENetHost* host = nullptr;
	ENetPeer* peer = nullptr;
	Lockstep lockstep;
	std::function<void(unsigned)> onStart;
	std::function<void()> onPartnerLeft;
	std::chrono::steady_clock::time_point probeSent;
	std::chrono::steady_clock::time_point lastHeard;
	std::chrono::steady_clock::time_point startedAt;
	std::string partnerName;
	int failedStatus = 0;
};

extern OnlineSession onlineSession;
