// The partner's side of an online session: the call, the welcome, the
// host's game received and caught up with, and a join that comes to
// nothing.
#include <cstdio>
#include <memory>

#include "framework/input/LineWords.h"
#include "framework/net/OnlineSession.h"

namespace
{
using Clock = std::chrono::steady_clock;
using Kind = WireMessage::Kind;

} // namespace

void OnlineSession::Call()
{
	// Each try is short; the join's budget bounds them all.
	peer = link.Call(partnerAddress);
}

void OnlineSession::CallThroughRelay()
{
	if (peer != nullptr)
	{
		EnetLink::Forget(peer);
		peer = nullptr;
	}
	partnerAddress = rendezvous.UseRelay();
	path = Rendezvous::Path::Relayed;
	Call();
}

std::string OnlineSession::JoinTarget() const
{
	return options.code.empty() ? options.address + ":" + std::to_string(options.port)
								: "the game of invite code " + options.code;
}

void OnlineSession::AnswerProbe(const WireMessage& probe)
{
	WireMessage hello = WireMessage::Version(Kind::Hello, options.program);
	// A host of another version may ask without a challenge; it refuses
	// this program for its version.
	if (probe.words.size() == 1)
	{
		hostChallenge = probe.words[0];
		partnerChallenge = InviteSecret::Challenge();
		hello.words = {partnerChallenge, options.secret.PartnerProof(hostChallenge, partnerChallenge)};
		link.Expect(peer, options.secret.SessionKey(hostChallenge, partnerChallenge));
	}
	Send(hello);
}

bool OnlineSession::HostProved(const WireMessage& welcome)
{
	if (hostChallenge.empty() ||
		!InviteSecret::Matches(welcome.words[0], options.secret.HostProof(hostChallenge, partnerChallenge)))
	{
		JoinFailed("the host does not know the invite's secret");
		return false;
	}
	link.Seal(peer);
	return true;
}

void OnlineSession::Welcome(const WireMessage& welcome)
{
	if (!HostProved(welcome))
	{
		return;
	}
	const unsigned seed = static_cast<unsigned>(welcome.numbers[0]);
	const int delay = static_cast<int>(welcome.numbers[1]);
	const int frames = static_cast<int>(welcome.numbers[2]);
	partnerName = options.code.empty() ? options.address + ":" + std::to_string(options.port)
									   : EnetLink::AddressOf(peer);
	std::fprintf(stderr, "contest: joined %s (%s); input delay %s\n", partnerName.c_str(), PathName(),
		Frames(delay).c_str());
	if (options.delay != 0 && options.delay != delay)
	{
		std::fprintf(stderr, "contest: the host sets the input delay: --delay %d gives way to its %s\n",
			options.delay, Frames(delay).c_str());
	}
	joining.Announce(delay, frames, static_cast<std::size_t>(welcome.numbers[3]));
	if (joining.Bytes() != 0)
	{
		ChangePhase(Phase::PartnerReceiving);
		return;
	}
	Notice start(Notice::Kind::GameStarts);
	start.seed = seed;
	Notify(start, [this, seed, delay] {
		Begin(Lockstep::Side::Partner, delay, 0);
		ChangePhase(Phase::PartnerPlaying);
		Notice shared(Notice::Kind::GameShared);
		shared.header = GameHeader(seed, Lockstep::Side::Partner);
		Notify(shared);
	});
}

void OnlineSession::GamePiece(const std::string& text)
{
	std::string error;
	if (!joining.Add(text, &error))
	{
		Drop("a bad packet (" + error + ")");
		return;
	}
	if (!joining.IsComplete())
	{
		return;
	}
	ReplayLog played;
	if (!joining.Take(options.scenes, lockstep.Rules(), &played, &error))
	{
		Drop("a bad packet (" + error + ")");
		return;
	}
	std::fprintf(stderr, "contest: catching up with the host's game: %s\n", Frames(joining.Frames()).c_str());
	Notice start(Notice::Kind::GameStarts);
	start.seed = played.header.seed;
	// The game is built before its catch-up begins.
	auto kept = std::make_shared<ReplayLog>(std::move(played));
	Notify(start, [this, kept] { StartCatchingUp(std::move(*kept)); });
}

void OnlineSession::StartCatchingUp(ReplayLog played)
{
	catchUp.CatchUp(std::move(played), joining.Frames());
	catchUpStarted = Clock::now();
	ChangePhase(Phase::PartnerCatchingUp);
	stream->SetSource(&catchUp);
	if (joining.Frames() == 0)
	{
		CaughtUp();
	}
}

void OnlineSession::CatchUpEnded()
{
	// Replay names a digest by the frame it follows, as lockstep does.
	const int parted = catchUp.FirstMismatchFrame();
	if (parted >= 0)
	{
		Send(WireMessage::Of(Kind::Parted, {parted}));
		Drop("the two games differ from frame " + std::to_string(parted) + " on");
	}
	else if (!catchUp.IsGiving())
	{
		CaughtUp();
	}
}

void OnlineSession::CaughtUp()
{
	StopCatchingUp();
	const double seconds = std::chrono::duration<double>(Clock::now() - catchUpStarted).count();
	std::fprintf(stderr, "contest: caught up in %.1f s\n", seconds);
	Begin(Lockstep::Side::Partner, joining.Delay(), joining.Frames());
	ChangePhase(Phase::PartnerPlaying);
	// The host goes on as soon as it hears, a little before this machine's
	// inputs reach it: as at a new game's start, it runs a trip ahead.
	Send(WireMessage::Of(Kind::Ready));
	link.Flush();
	Notice shared(Notice::Kind::GameShared);
	shared.header = catchUp.Log().header;
	shared.header.side = Lockstep::Side::Partner;
	shared.before = catchUp.Log().lines;
	shared.frames = joining.Frames();
	Notify(shared);
}

void OnlineSession::StopCatchingUp()
{
	joining.Clear();
	if (phase == Phase::PartnerCatchingUp)
	{
		stream->SetSource(&lockstep);
	}
}

void OnlineSession::Refused(const WireMessage& refusal)
{
	char text[256];
	std::snprintf(text, sizeof(text),
		"the host's program (protocol %ld, version %s) met this one (protocol %d, version %s): they must be the same",
		refusal.numbers[0], LineWords::Quoted(refusal.version).c_str(), ProtocolVersion, options.program.c_str());
	JoinFailed(text);
}

void OnlineSession::Denied()
{
	JoinFailed("the host denied this join: the invite's secret is not its own (mistyped, or an old invite)");
}

void OnlineSession::JoinFailed(const std::string& reason)
{
	std::fprintf(stderr, "contest: could not join %s: %s\n", JoinTarget().c_str(), reason.c_str());
	StopCatchingUp();
	ChangePhase(Phase::PartnerRefused);
	if (peer != nullptr)
	{
		EnetLink::LetGo(peer);
		peer = nullptr;
	}
}
