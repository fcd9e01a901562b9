#pragma once


#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/net/EnetLink.h"
#include "framework/input/LineWords.h"
#include "framework/session/Lockstep.h"
#include "framework/session/ReplayPlayer.h"
#include "framework/session/ReplayRecorder.h"
#include "framework/session/ReplayLog.h"

// One game played by two machines over the network: the host plays its game
// and waits for a partner on a UDP port, the partner joins it; once both run
// the same program, the partner builds the game from the host's random seed,
// plays the host's game so far at full speed to catch up, and both go on in
// lockstep. Only inputs travel: each packet carries every batch the
// partner has not acknowledged, unsequenced, so a lost one costs nothing once
// the next arrives; the handshake, digests and goodbyes go reliably.
class OnlineSession
{
public:
	static constexpr uint16_t DefaultPort = 47820;
	// Changes whenever what travels changes.
	static constexpr int ProtocolVersion = 4;
	// A partner silent this long has left.
	static constexpr std::chrono::seconds PartnerTimeout{3};
	// A join that has not been welcomed this long after it began gives up:
	// it keeps calling meanwhile, so a host started a little later is met.
	static constexpr std::chrono::seconds JoinBudget{10};
	// Each step of the handshake and each piece of a game handed over comes
	// within this, or the other side is dropped.
	static constexpr std::chrono::seconds HandshakeTimeout{5};
	// A partner catching up says how far it has got; one that gets no
	// further for this long, or has not caught up after the limit, is
	// dropped and the host plays on.
	static constexpr std::chrono::seconds CatchUpStall{5};
	static constexpr std::chrono::seconds CatchUpLimit{60};
	// The longest game a partner catches up with, in frames (five minutes)
	// and as recorded text; a partner who joins a longer one starts a new
	// game with the host.
	static constexpr int MaxCatchUpFrames = 18000;
	static constexpr std::size_t MaxCatchUpBytes = 16 << 20;
	// The exit status of a join that came to nothing.
	static constexpr int JoinFailedStatus = 2;

	struct Options
	{
		bool host = false;
		// The host's interface (empty: all) or the host to join.
		std::string address;
		uint16_t port = DefaultPort;
		// Frames of input delay; 0 to choose from the measured round trip.
		int delay = 0;
		// What the player plays on each side, for the screen.
		std::string fighters[2] = {"the host's fighter", "the partner's fighter"};
		// This program's version, the number of scenes it has, and the
		// window size a game's recording starts with.
		std::string program;
		int sceneCount = 0;
		int width = 0;
		int height = 0;
	};

	~OnlineSession();

	// Opens the host's port or starts joining. False, with the reason, when
	// the network cannot be used.
	bool Open(const Options& options, std::string* error);
	bool IsOpen() const { return link.IsOpen(); }
	// The host begins a game of its own, built from seed, kept from its
	// first frame for a partner to catch up with: the game's header.
	ReplayLog::Header BeginGame(unsigned seed);
	// Called to build the game afresh from seed: on the partner before it
	// catches up, on both machines when a new game starts.
	void OnStart(std::function<void(unsigned seed)> start) { onStart = std::move(start); }
	// Called when lockstep starts on a game this machine did not play from
	// its first frame: with the game's header (naming this side) and the
	// lines of the frames played before lockstep's first.
	using SharedCall =
		std::function<void(const ReplayLog::Header&, const std::vector<InputLine>& before, int frames)>;
	void OnShared(SharedCall shared) { onShared = std::move(shared); }
	// Called when the partner has gone and the game goes on alone.
	void OnPartnerLeft(std::function<void()> left) { onPartnerLeft = std::move(left); }

	// Once per tick of the frame clock: the network's news, and what this
	// machine has to send.
	void Service();
	// Right after a frame has run: its inputs leave at once rather than at
	// the next tick.
	void SendFrame();
	// At the end of every frame, before any input of the next: a host
	// welcomes a partner here, so the game it hands over holds everything
	// applied so far; a partner catching up sees whether it has.
	void FrameEnded();
	// A host that welcomes a partner after the next frame, which must run.
	bool WelcomeDue() const { return phase == Phase::Welcoming; }
	// The partner plays the host's game so far, as fast as it can.
	bool IsCatchingUp() const { return phase == Phase::CatchingUp; }
	// The partner's program could not play with this one: the status to
	// leave with (a joiner only), else 0.
	int FailedStatus() const { return phase == Phase::Refused ? JoinFailedStatus : 0; }
	// This player leaves: the partner is told, and both play the frames
	// whose inputs have already left, so both games end on the same frame.
	// False when no game is being played with a partner.
	bool Leave();
	// The game left has ended and the partner knows: the program may go.
	bool HasLeft() const { return left; }
	// One line for the screen: where the host waits, the partner met, or
	// that lockstep waits.
	std::string StatusLine() const;
	// What the window says while a frame waits for the partner.
	std::string WaitLine() const;
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
	// Where this machine stands, as the packets it may take depend on.
	enum class Phase
	{
		// The partner: calling the host, greeted by it, receiving its game,
		// catching up with it.
		Calling,
		Greeted,
		Receiving,
		CatchingUp,
		// The host: alone, waiting for callers; about to welcome one; its
		// partner catching up.
		Waiting,
		Welcoming,
		PartnerCatchingUp,
		// Both: in lockstep with the partner.
		Playing,
		// The partner once its game with the host has ended, or when its
		// join came to nothing.
		Alone,
		Refused,
	};
	// A caller the host has sent its probe and waits to hear from.
	struct Caller
	{
		ENetPeer* peer;
		std::chrono::steady_clock::time_point since;
	};

	// The one place the phase changes.
	void ChangePhase(Phase next);
	void Handle(const ENetEvent& event);
	void Connected(ENetPeer* peer);
	// The partner calls the host (again, within the join's budget).
	void Call();
	void Received(const std::string& packet);
	void CallerSpoke(ENetPeer* caller, const std::string& packet);
	// The caller is a copy: it leaves the callers here.
	void Hello(Caller caller, const std::string& version, int protocol);
	// The host turns a caller away with reason, on stderr.
	void TurnAway(ENetPeer* caller, const std::string& reason, enet_uint32 data = 0);
	// The caller of peer; callers.end() when peer is none.
	std::vector<Caller>::iterator FindCaller(const ENetPeer* peer);
	// The waits that have an end: callers, the host's handshake, the
	// pieces of the game, a catch-up, the partner's digests.
	void CheckWaits();
	// A join that came to nothing: why, and the program exits 2.
	void JoinFailed(const std::string& reason);
	// The host: the partner gets the game so far to catch up with, or a
	// new game starts on both machines when it has grown too long.
	void SendWelcome();
	void Welcome(LineWords& words);
	void HostGame(const std::string& packet);
	void StartCatchingUp();
	// What is wrong with a game handed over to catch up with to frame
	// frames; empty when nothing is.
	std::string HandedOverFault(const ReplayLog& played, int frames) const;
	void CaughtUp();
	void StopCatchingUp();
	// The host hears how far the partner has caught up, or that its game
	// came out otherwise.
	void Progress(LineWords& words);
	// The partner's first inputs after it caught up, or its word that it
	// has: the host's frames run again.
	void PartnerCaughtUp();
	void Parted(LineWords& words);
	void Refused(const std::string& version, int protocol);
	// Lockstep starts from frame first, and the counts of what travels
	// with it.
	void Begin(Lockstep::Side side, int delay, int first);
	// The counts of what travels and what it costs start again.
	void StartCounting();
	// This machine's unacknowledged batches and its acknowledgement of the
	// partner's, when there is news or it is time to say them again.
	void SendInputs();
	// The inputs and the digests there are to send.
	void SendOutgoing();
	void Inputs(const std::string& packet);
	void Digest(const std::string& packet);
	void Send(const std::string& packet, bool reliable = true);
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
	EnetLink link;
	ENetPeer* peer = nullptr;
	Lockstep lockstep;
	std::function<void(unsigned)> onStart;
	SharedCall onShared;
	// The host's game from its first frame, while it is short enough to be
	// caught up with.
	ReplayRecorder game;
	ReplayLog::Header gameHeader;
	int welcomeDelay = 0;
	// The host: the frame its partner catches up to, and how far it has
	// got.
	int partnerTarget = 0;
	int partnerProgress = 0;
	// The partner: what the welcome announced, the host's game as it
	// arrives, and its replay.
	struct Joining
	{
		int delay = 0;
		int frames = 0;
		std::size_t bytes = 0;
		std::string text;
	} joining;
	ReplayPlayer catchUp;
	std::chrono::steady_clock::time_point catchUpStarted;
	std::chrono::steady_clock::time_point progressSentAt;
	std::function<void()> onPartnerLeft;
	std::vector<Caller> callers;
	std::chrono::steady_clock::time_point joinStarted;
	// Why the last game with a partner ended, for the screen.
	std::string endedWhy;
	// The host: the frame the partner's catch-up has reached, and when it
	// got there.
	std::chrono::steady_clock::time_point progressAt;
	// The partner: the host it calls.
	ENetAddress partnerAddress{};
	std::chrono::steady_clock::time_point lastHeard;
	std::chrono::steady_clock::time_point startedAt;
	std::chrono::steady_clock::time_point leftAt;
	// Processor time spent servicing the network while lockstep runs, and
	// the frame the count began at.
	double networkingSeconds = 0.0;
	int countedFrom = 0;
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
	Phase phase = Phase::Waiting;
	bool left = false;
};

extern OnlineSession onlineSession;
