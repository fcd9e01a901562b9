#pragma once

#include <enet/enet.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/LineWords.h"
#include "framework/Lockstep.h"

// One game played by two machines over the network: the host waits for a
// partner on a UDP port, the partner joins it; once both run the same
// program, both build the game afresh from the host's random seed and play
// in lockstep. Only inputs travel: each packet carries every batch the
// partner has not acknowledged, unsequenced, so a lost one costs nothing once
// the next arrives; the handshake, digests and goodbyes go reliably.
class OnlineSession
{
public:
	static constexpr uint16_t DefaultPort = 47820;
	// Changes whenever what travels changes.
	static constexpr int ProtocolVersion = 3;
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
	// Right after a frame has run: its inputs leave at once rather than at
	// the next tick.
	void SendFrame();
	// The partner's program could not play with this one: the status to
	// leave with (a joiner only), else 0.
	int FailedStatus() const { return failedStatus; }
	// This player leaves: the partner is told, and both play the frames
	// whose inputs have already left, so both games end on the same frame.
	// False when no game is being played with a partner.
	bool Leave();
	// The game left has ended and the partner knows: the program may go.
	bool HasLeft() const { return left; }
	// One line for the screen: where the host waits, the partner met, or
	// that lockstep waits.
	std::string StatusLine() const;
	Lockstep& GetLockstep() { return lockstep; }
	const Lockstep& GetLockstep() const { return lockstep; }

	// What the panel shows: the side, the partner, how the link does.
	bool IsHost() const { return options.host; }
	bool IsPlaying() const { return lockstep.IsRunning(); }
	const std::string& PartnerName() const { return partnerName; }
	// ENet's smoothed round trip to the partner; 0 without one.
	float RoundTripMs() const { return peer != nullptr ? static_cast<float>(peer->roundTripTime) : 0.0f; }
	// The last ten seconds of frames, a sample each, in rings whose oldest
	// sample is at HistoryStart().
	static constexpr int HistoryFrames = 600;
	const std::vector<float>& RoundTrips() const { return roundTrips; }
	const std::vector<float>& FrameTimes() const { return frameTimes; }
	int HistoryStart() const { return historyNext; }

private:
	void Handle(const ENetEvent& event);
	void Connected(ENetPeer* peer);
	void Received(const std::string& packet);
	void Hello(const std::string& version, int protocol);
	void Welcome(unsigned seed, int delay);
	void Refused(const std::string& version, int protocol);
	// Lockstep starts, and the counts of what travels with it.
	void Begin(Lockstep::Side side, unsigned seed, int delay);
	// This machine's unacknowledged batches and its acknowledgement of the
	// partner's, when there is news or it is time to say them again.
	void SendInputs();
	// The inputs and the digests there are to send.
	void SendOutgoing();
	void Inputs(const std::string& packet);
	void Digest(const std::string& packet);
	void Send(const std::string& packet, enet_uint32 flags = ENET_PACKET_FLAG_RELIABLE);
	// One sample a frame for the panel's plots.
	void Sample();
	void Goodbye(LineWords& words);
	void PartnerGone(const ENetEvent& event);
	// The last frame of a game left has run: the partner goes, or this
	// machine waits for it to have heard everything.
	void Finished();
	// Drops the partner with a reason on stderr; the game goes on alone.
	void Drop(const std::string& reason);
	std::string PartedReason() const;
	// How lockstep went, for the line that ends it.
	std::string Summary() const;

	Options options;
	ENetHost* host = nullptr;
	ENetPeer* peer = nullptr;
	Lockstep lockstep;
	std::function<void(unsigned)> onStart;
	std::function<void()> onPartnerLeft;
	std::chrono::steady_clock::time_point probeSent;
	std::chrono::steady_clock::time_point lastHeard;
	std::chrono::steady_clock::time_point startedAt;
	std::chrono::steady_clock::time_point leftAt;
	// Processor time spent servicing the network while lockstep runs.
	double networkingSeconds = 0.0;
	std::string partnerName;
	std::vector<float> roundTrips = std::vector<float>(HistoryFrames, 0.0f);
	std::vector<float> frameTimes = std::vector<float>(HistoryFrames, 0.0f);
	int historyNext = 0;
	int sampledFrame = 0;
	std::chrono::steady_clock::time_point sampledAt;
	// The newest batch sent, and when a packet of inputs last left.
	int lastSentFrame = -1;
	std::chrono::steady_clock::time_point lastSentAt;
	// Batches came since the last packet: the partner waits to hear so.
	bool acknowledgementDue = false;
	int failedStatus = 0;
	bool left = false;
};

extern OnlineSession onlineSession;
