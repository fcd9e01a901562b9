// The host's side of an online session: callers, the welcome with the game
// so far, and the partner's catch-up.
#include <algorithm>
#include <cstdio>
#include <random>

#include "framework/input/LineWords.h"
#include "framework/net/OnlineSession.h"

namespace
{
using Clock = std::chrono::steady_clock;
using Kind = WireMessage::Kind;

constexpr double FrameMilliseconds = 1000.0 / 60.0;
// The host's game travels in pieces that each fit a packet.
constexpr std::size_t GamePieceBytes = 60000;

} // namespace

void OnlineSession::Connected(ENetPeer* caller)
{
	EnetLink::Configure(caller);
	if (!options.host)
	{
		peer = caller;
		ChangePhase(Phase::PartnerGreeted);
		lastHeard = Clock::now();
		return;
	}
	if (phase != Phase::HostListening)
	{
		std::fprintf(stderr, "contest: refused %s: a partner already plays\n", EnetLink::AddressOf(caller).c_str());
		EnetLink::LetGo(caller, BusyReason);
		return;
	}
	// Every caller is asked who it is; the first to answer well plays.
	callers.Add(caller);
	EnetLink::Send(caller, WireMessage::Of(Kind::Probe).Format());
}

void OnlineSession::CallerSpoke(ENetPeer* caller, const std::string& packet)
{
	WireMessage hello;
	std::string error;
	if (!WireMessage::KindOf(packet, &hello.kind) || hello.kind != Kind::Hello)
	{
		callers.TurnAway(caller, "it sent " + LineWords::Quoted(WireMessage::FirstLine(packet)) + " before its hello");
	}
	else if (!WireMessage::Parse(packet, options.scenes, &hello, &error))
	{
		callers.TurnAway(caller, "a hello that says nothing: " + error);
	}
	else
	{
		Hello(caller, callers.Since(caller), hello);
	}
}

void OnlineSession::Hello(ENetPeer* caller, Clock::time_point since, const WireMessage& hello)
{
	const long protocol = hello.numbers[0];
	if (protocol != ProtocolVersion || hello.version != options.program)
	{
		std::fprintf(stderr,
			"contest: a partner's program (protocol %ld, version %s) met this one (protocol %d, version %s): they "
			"must be the same\n",
			protocol, LineWords::Quoted(hello.version).c_str(), ProtocolVersion, options.program.c_str());
		EnetLink::Send(caller, WireMessage::Version(Kind::Refuse, options.program).Format());
		callers.TurnAway(caller, "its program is another version");
		return;
	}
	peer = caller;
	partnerName = EnetLink::AddressOf(caller);
	path = rendezvous.PathOf(caller->address);
	lastHeard = Clock::now();
	callers.Forget(caller);
	callers.TurnAwayAll("a partner already plays", BusyReason);
	const double roundTrip = std::chrono::duration<double, std::milli>(Clock::now() - since).count();
	const int delay = options.delay != 0 ? options.delay
										 : std::clamp(static_cast<int>(roundTrip / 2 / FrameMilliseconds) + 1,
											   Lockstep::MinDelay, Lockstep::MaxDelay);
	std::fprintf(stderr, "contest: %s joined (%s); input delay %s\n", partnerName.c_str(), PathName(),
		Frames(delay).c_str());
	welcomeDelay = delay;
	ChangePhase(Phase::HostWelcoming);
}

void OnlineSession::SendWelcome()
{
	if (peer == nullptr)
	{
		ChangePhase(Phase::HostListening);
		return;
	}
	const std::string& played = game.Kept();
	const int frames = game.Frame();
	if (played.empty() || frames > MaxCatchUpFrames)
	{
		StartNewGame();
		return;
	}
	Send(WireMessage::Of(Kind::Welcome,
		{gameHeader.seed, welcomeDelay, frames, static_cast<long>(played.size())}));
	for (std::size_t at = 0; at < played.size(); at += GamePieceBytes)
	{
		Send(WireMessage::Piece(played.substr(at, GamePieceBytes)));
	}
	partnerTarget = frames;
	partnerProgress = 0;
	Begin(Lockstep::Side::Host, welcomeDelay, frames);
	lockstep.Hold(true);
	ChangePhase(Phase::HostAwaitingCatchUp);
}

void OnlineSession::StartNewGame()
{
	std::fprintf(stderr, "contest: the game has run too long for a partner to catch up with; a new one starts\n");
	const unsigned seed = std::random_device()();
	Send(WireMessage::Of(Kind::Welcome, {seed, welcomeDelay, 0, 0}));
	// The new game is kept from its build on, not the old one's end.
	stream->RemoveListener(&game);
	Notice start(Notice::Kind::GameStarts);
	start.seed = seed;
	Notify(start, [this, seed] {
		Notice shared(Notice::Kind::GameShared);
		shared.header = BeginGame(seed);
		Begin(Lockstep::Side::Host, welcomeDelay, 0);
		ChangePhase(Phase::HostPlaying);
		Notify(shared);
	});
}

void OnlineSession::PartnerCaughtUp()
{
	if (phase != Phase::HostAwaitingCatchUp)
	{
		return;
	}
	std::fprintf(stderr, "contest: the partner caught up in %.1f s\n",
		std::chrono::duration<double>(Clock::now() - figures.StartedAt()).count());
	ChangePhase(Phase::HostPlaying);
	lockstep.Hold(false);
	// The game handed over and the wait for the partner are not play.
	figures.StartCounting(lockstep.Frame());
	progressAt = figures.StartedAt();
	link.ResetCounts();
}

void OnlineSession::Progress(int frame)
{
	if (frame > partnerTarget)
	{
		Drop("a bad packet (progress to frame " + std::to_string(frame) + " of " + std::to_string(partnerTarget) +
			")");
		return;
	}
	// Only progress counts: a partner saying the same frame again is
	// stuck, however often it says so.
	if (frame > partnerProgress)
	{
		partnerProgress = frame;
		progressAt = Clock::now();
	}
}

void OnlineSession::Parted(int frame)
{
	if (frame > partnerTarget)
	{
		Drop("a bad packet (parted at frame " + std::to_string(frame) + " of " + std::to_string(partnerTarget) + ")");
		return;
	}
	Drop("the two games differ from frame " + std::to_string(frame) + " on");
}
