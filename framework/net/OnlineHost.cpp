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
	WireMessage probe = WireMessage::Of(Kind::Probe);
	probe.words = {InviteSecret::Challenge()};
	callers.Add(caller, probe.words[0]);
	EnetLink::Send(caller, probe.Format());
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
	if (!ProvedSecret(caller, hello))
	{
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

bool OnlineSession::ProvedSecret(ENetPeer* caller, const WireMessage& hello)
{
	const std::string& challenge = callers.ChallengeOf(caller);
	if (hello.words.size() == 2 &&
		InviteSecret::Matches(hello.words[1], options.secret.PartnerProof(challenge, hello.words[0])))
	{
		link.Expect(caller, options.secret.SessionKey(challenge, hello.words[0]));
		link.Seal(caller);
		welcomeProof = options.secret.HostProof(challenge, hello.words[0]);
		return true;
	}
	EnetLink::Send(caller, WireMessage::Of(Kind::Denied).Format());
	const std::string address = EnetLink::AddressOf(caller);
	callers.TurnAway(caller, hello.words.empty() ? "no proof of the invite's secret" : "a wrong proof of the invite's secret");
	if (link.WrongTry(caller))
	{
		std::fprintf(stderr, "contest: %s is ignored for %lld s: %d wrong proofs of the secret\n",
			address.substr(0, address.rfind(':')).c_str(),
			static_cast<long long>(PacketTags::WrongTryWindow.count()), PacketTags::WrongTriesAllowed);
	}
	return false;
}

WireMessage OnlineSession::WelcomeOf(std::vector<long> numbers) const
{
	WireMessage welcome = WireMessage::Of(Kind::Welcome, std::move(numbers));
	welcome.words = {welcomeProof};
	return welcome;
}

std::string OnlineSession::Invite() const
{
	return rendezvous.Code().empty() ? "invite secret " + options.secret.Text()
									 : "invite code " + rendezvous.Code() + "-" + options.secret.Text();
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
	Send(WelcomeOf({gameHeader.seed, welcomeDelay, frames, static_cast<long>(played.size())}));
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
	Send(WelcomeOf({seed, welcomeDelay, 0, 0}));
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
