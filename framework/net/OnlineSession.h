#pragma once


#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/input/InputStream.h"
#include "framework/net/CallerDesk.h"
#include "framework/net/EnetLink.h"
#include "framework/net/HandedOverGame.h"
#include "framework/net/InviteSecret.h"
#include "framework/net/LinkFigures.h"
#include "framework/net/PhaseTable.h"
#include "framework/net/Rendezvous.h"
#include "framework/net/WireMessage.h"
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
//
// The session's phase (PhaseTable) changes in one place, which says so on
// stderr when the environment variable CONTEST_NET_LOG is set.
class OnlineSession
{
public:
	using Phase = PhaseTable::Phase;

	static constexpr uint16_t DefaultPort = 47820;
	// Changes whenever what travels changes.
	static constexpr int ProtocolVersion = WireMessage::ProtocolVersion;
	// A partner silent this long has left.
	static constexpr std::chrono::seconds PartnerTimeout{3};
	// A join that has not been welcomed this long after it began gives up:
	// it keeps calling meanwhile, so a host started a little later is met.
	static constexpr std::chrono::seconds JoinBudget{10};
	// A join by invite code tries every path within this.
	static constexpr std::chrono::seconds CodeJoinBudget{20};
	// Each step of the handshake and each piece of a game handed over comes
	// within this, or the other side is dropped.
	static constexpr std::chrono::seconds HandshakeTimeout{5};
	// A partner catching up says how far it has got; one that gets no
	// further for this long, or has not caught up after the limit, is
	// dropped and the host plays on.
	static constexpr std::chrono::seconds CatchUpStall{5};
	static constexpr std::chrono::seconds CatchUpLimit{60};
	// A partner who joins a game longer than this starts a new game with
	// the host.
	static constexpr int MaxCatchUpFrames = WireMessage::MaxCatchUpFrames;
	static constexpr std::size_t MaxCatchUpBytes = WireMessage::MaxCatchUpBytes;
	// The exit status of a join that came to nothing.
	static constexpr int JoinFailedStatus = 2;

	struct Options
	{
		bool host = false;
		// The host's interface (empty: all) or the host to join.
		std::string address;
		uint16_t port = DefaultPort;
		// The coordinator ("HOST[:PORT]") that gives the host an invite
		// code, or that a joiner asks where the host of code is; empty for
		// none.
		std::string server;
		std::string code;
		// What the host made and the invited partner was told; a host
		// without one makes one.
		InviteSecret secret;
		// Frames of input delay; 0 to choose from the measured round trip.
		int delay = 0;
		// What the player plays on each side, for the screen.
		std::string fighters[2] = {"the host's fighter", "the partner's fighter"};
		// The program's version, which both sides must share, the scenes
		// its recordings may name, and the window an online game's
		// recording says it was played in.
		std::string program;
		int scenes = 1;
		int width = 0;
		int height = 0;
	};

	// What the program is to do for the session, between two frames.
	struct Notice
	{
		enum class Kind
		{
			// Build the game afresh from seed: on the partner before it
			// catches up, on both machines when a new game starts.
			GameStarts,
			// Lockstep started on this game: its header (naming this side)
			// and the lines of the frames played before lockstep's first.
			GameShared,
			// The partner has gone and the game goes on alone.
			PartnerLeft,
		};
		explicit Notice(Kind given = Kind::PartnerLeft) : kind(given) {}

		Kind kind;
		unsigned seed = 0;
		ReplayLog::Header header;
		std::vector<InputLine> before;
		int frames = 0;
	};

	~OnlineSession();

	// Opens the host's port or starts joining; the session keeps the host's
	// game from stream's inputs and gives a partner's catch-up through it.
	// False, with the reason, when the network cannot be used.
	bool Open(const Options& options, InputStream& stream, std::string* error);
	bool IsOpen() const { return link.IsOpen(); }
	// The host begins a game of its own, built from seed, kept from its
	// first frame for a partner to catch up with: the game's header.
	ReplayLog::Header BeginGame(unsigned seed);
	// What the program does with each notice.
	void OnNotice(std::function<void(const Notice&)> handler) { onNotice = std::move(handler); }
	// The notices queued since the last call go to the program's handler, in
	// order, each followed by the session's own steps that come after it.
	// The program calls this after Service and after FrameEnded, before
	// anything else: the session's news reaches it between frames.
	void DeliverNotices();

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
	bool WelcomeDue() const { return phase == Phase::HostWelcoming; }
	// The partner plays the host's game so far, as fast as it can.
	bool IsCatchingUp() const { return phase == Phase::PartnerCatchingUp; }
	// The partner's program could not play with this one: the status to
	// leave with (a joiner only), else 0.
	int FailedStatus() const { return phase == Phase::PartnerRefused ? JoinFailedStatus : 0; }
	// This player leaves: the partner is told, and both play the frames
	// whose inputs have already left, so both games end on the same frame.
	// False when no game is being played with a partner.
	bool Leave();
	// The game left has ended and the partner knows: the program may go.
	bool HasLeft() const { return phase == Phase::HostLeft || phase == Phase::PartnerLeft; }
	// One line for the screen: where the host waits, the partner met, or
	// that lockstep waits.
	std::string StatusLine() const;
	// What the window says while a frame waits for the partner.
	std::string WaitLine() const;
	Lockstep& GetLockstep() { return lockstep; }
	const Lockstep& GetLockstep() const { return lockstep; }

	// What the panel shows: the side, the partner, how the link does.
	bool IsHost() const { return options.host; }
	const Options& GetOptions() const { return options; }
	bool IsPlaying() const { return lockstep.IsRunning(); }
	const std::string& PartnerName() const { return partnerName; }
	// How this machine reaches the partner: "direct", "punched",
	// "relayed".
	const char* PathName() const { return Rendezvous::NameOf(path); }
	// ENet's smoothed round trip to the partner; 0 without one.
	float RoundTripMs() const { return EnetLink::RoundTripMs(peer); }
	static constexpr int HistoryFrames = LinkFigures::HistoryFrames;
	const std::vector<float>& RoundTrips() const { return figures.RoundTrips(); }
	const std::vector<float>& FrameTimes() const { return figures.FrameTimes(); }
	int HistoryStart() const { return figures.HistoryStart(); }

private:
	using Reaction = PhaseTable::Reaction;
	// Disconnect data the host gives a second partner.
	static constexpr enet_uint32 BusyReason = 1;
	// A notice, and the session's own steps that follow it.
	struct Pending
	{
		Notice notice;
		std::function<void()> then;
	};

	// The one place the phase changes.
	void ChangePhase(Phase next);
	void Notify(Notice notice, std::function<void()> then = nullptr);
	void Handle(const ENetEvent& event);
	// The checks of every tick: the partner's silence, the game's end.
	void CheckPartner();
	// The waits that have an end: the host's handshake, the pieces of the
	// game, a catch-up, the partner's digests.
	void CheckWaits();
	void Received(const std::string& packet);
	void React(Reaction reaction, const WireMessage& message);
	// Lockstep starts after frame played, and the counts of what travels
	// with it.
	void Begin(Lockstep::Side side, int delay, int played);
	// This machine's unacknowledged batches and its acknowledgement of the
	// partner's, when there is news or it is time to say them again.
	void SendInputs();
	// The inputs and the digests there are to send.
	void SendOutgoing();
	void Inputs(const WireMessage& message);
	void Digest(const WireMessage& message);
	void Send(const WireMessage& message, bool reliable = true);
	void Goodbye(int last);
	void PartnerGone(const ENetEvent& event);
	// The last frame of a game left has run: the partner goes, or this
	// machine waits for it to have heard everything.
	void Finished();
	// Drops the partner with a reason on stderr; the game goes on alone.
	void Drop(const std::string& reason);
	std::string PartedReason() const;
	// How lockstep went, for the line that ends it.
	std::string Summary() const;
	ReplayLog::Header GameHeader(unsigned seed, Lockstep::Side side) const;
	bool InLockstep() const;
	// "1 frame", "3 frames".
	static std::string Frames(int count);

	// The host's side (OnlineHost.cpp).
	void Connected(ENetPeer* peer);
	void CallerSpoke(ENetPeer* caller, const std::string& packet);
	void Hello(ENetPeer* caller, std::chrono::steady_clock::time_point since, const WireMessage& hello);
	// Whether hello proves the invite's secret; the caller is denied, and
	// its address ignored after a few, when it does not.
	bool ProvedSecret(ENetPeer* caller, const WireMessage& hello);
	WireMessage WelcomeOf(std::vector<long> numbers) const;
	// The invite as the host's player gives it: the code and the secret, or
	// the secret for a join by address.
	std::string Invite() const;
	// The partner gets the game so far to catch up with, or a new game
	// starts on both machines when it has grown too long.
	void SendWelcome();
	void StartNewGame();
	// The host hears how far the partner has caught up, or that its game
	// came out otherwise.
	void Progress(int frame);
	void Parted(int frame);
	// The partner's first inputs after it caught up, or its word that it
	// has: the host's frames run again.
	void PartnerCaughtUp();

	// What the coordinator's word means for the session.
	void Coordinated(Rendezvous::News news);

	// The partner's side (OnlinePartner.cpp).
	// The partner calls the host (again, within the join's budget).
	void Call();
	// The first path has had its time: the call goes through the relay.
	void CallThroughRelay();
	// Where the partner's join has got, for the screen and its failure.
	std::string JoinTarget() const;
	void Welcome(const WireMessage& welcome);
	void GamePiece(const std::string& text);
	void StartCatchingUp(ReplayLog played);
	void CatchUpEnded();
	void CaughtUp();
	void StopCatchingUp();
	void Refused(const WireMessage& refusal);
	// The partner answers the host's challenge, and checks the host's own
	// proof in its welcome.
	void AnswerProbe(const WireMessage& probe);
	bool HostProved(const WireMessage& welcome);
	void Denied();
	// A join that came to nothing: why, and the program exits 2.
	void JoinFailed(const std::string& reason);

	Options options;
	InputStream* stream = nullptr;
	EnetLink link;
	Rendezvous rendezvous;
	Rendezvous::Path path = Rendezvous::Path::Direct;
	ENetPeer* peer = nullptr;
	Lockstep lockstep;
	Phase phase = Phase::HostListening;
	std::deque<Pending> notices;
	std::function<void(const Notice&)> onNotice;
	// The host's game from its first frame, while it is short enough to be
	// caught up with.
	ReplayRecorder game;
	ReplayLog::Header gameHeader;
	int welcomeDelay = 0;
	// The host: the frame its partner catches up to, how far it has got,
	// and when it got there.
	int partnerTarget = 0;
	int partnerProgress = 0;
	std::chrono::steady_clock::time_point progressAt;
	CallerDesk callers;
	// The partner: the host's game as it arrives, and its replay.
	HandedOverGame joining;
	ReplayPlayer catchUp;
	std::chrono::steady_clock::time_point catchUpStarted;
	std::chrono::steady_clock::time_point progressSentAt;
	std::chrono::steady_clock::time_point joinStarted;
	std::chrono::steady_clock::time_point metAt;
	// The partner: the host it calls.
	ENetAddress partnerAddress{};
	// The two challenges of the handshake (the partner's), and the host's
	// proof for its welcome.
	std::string hostChallenge;
	std::string partnerChallenge;
	std::string welcomeProof;
	// Why the last game with a partner ended, for the screen.
	std::string endedWhy;
	std::chrono::steady_clock::time_point lastHeard;
	std::chrono::steady_clock::time_point startedAt;
	std::chrono::steady_clock::time_point leftAt;
	LinkFigures figures;
	std::string partnerName;
	// The newest batch sent, and when a packet of inputs last left.
	int lastSentFrame = -1;
	std::chrono::steady_clock::time_point lastSentAt;
	// Batches came since the last packet: the partner waits to hear so.
	bool acknowledgementDue = false;
};

