#include "framework/net/OnlineSession.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "framework/input/LineWords.h"

namespace
{
using Clock = std::chrono::steady_clock;
using Kind = WireMessage::Kind;

// The host's ENet peers: the partner, callers waiting to be heard, and room
// to turn more away.
constexpr std::size_t HostPeers = 8;
// How often a partner catching up says how far it has got; the host hears
// from it meanwhile, and does not take it for gone.
constexpr std::chrono::milliseconds ProgressInterval{100};

} // namespace

OnlineSession::~OnlineSession()
{
	if (peer != nullptr)
	{
		link.LetGoNow(peer);
	}
}

bool OnlineSession::Open(const Options& given, InputStream& inputs, std::string* error)
{
	options = given;
	stream = &inputs;
	ENetAddress address{};
	if (!EnetLink::Resolve(options.address, options.port, &address))
	{
		*error = "no such host: " + options.address;
		return false;
	}
	// A partner calls the host and, first, the coordinator.
	if (!link.Open(options.host ? &address : nullptr, options.host ? HostPeers : 2, error) ||
		(!options.server.empty() && !rendezvous.Open(link, options.server, error)))
	{
		return false;
	}
	if (options.host && !options.secret.IsSet())
	{
		options.secret = InviteSecret::Make();
	}
	if (options.host && rendezvous.IsOpen())
	{
		rendezvous.Register(ProtocolVersion, options.port);
	}
	else if (options.host)
	{
		std::printf("contest: %s: the partner joins with --join THIS-HOST:%u/%s\n", Invite().c_str(),
			static_cast<unsigned>(options.port), options.secret.Text().c_str());
		std::fflush(stdout);
	}
	phase = options.host ? Phase::HostListening : Phase::PartnerCalling;
	if (std::getenv("CONTEST_NET_LOG") != nullptr)
	{
		std::fprintf(stderr, "online: %s\n", PhaseTable::NameOf(phase));
	}
	if (!options.host)
	{
		joinStarted = Clock::now();
		if (rendezvous.IsOpen())
		{
			rendezvous.LookUp(options.code, ProtocolVersion);
		}
		else
		{
			partnerAddress = address;
			Call();
		}
	}
	lockstep.KeepGame(options.host);
	return true;
}

ReplayLog::Header OnlineSession::GameHeader(unsigned seed, Lockstep::Side side) const
{
	// The game scene built afresh from seed, with keyboard play on.
	ReplayLog::Header header{options.program, 0, options.width, options.height, true};
	header.seed = seed;
	header.side = side;
	return header;
}

ReplayLog::Header OnlineSession::BeginGame(unsigned seed)
{
	gameHeader = GameHeader(seed, Lockstep::Side::Host);
	game.RecordInMemory(gameHeader, MaxCatchUpBytes);
	stream->RemoveListener(&game);
	stream->AddListener(&game);
	return gameHeader;
}

void OnlineSession::ChangePhase(Phase next)
{
	if (next != phase && std::getenv("CONTEST_NET_LOG") != nullptr)
	{
		std::fprintf(stderr, "online: %s -> %s\n", PhaseTable::NameOf(phase), PhaseTable::NameOf(next));
	}
	phase = next;
}

void OnlineSession::Notify(Notice notice, std::function<void()> then)
{
	notices.push_back({std::move(notice), std::move(then)});
}

void OnlineSession::DeliverNotices()
{
	while (!notices.empty())
	{
		const Pending next = std::move(notices.front());
		notices.pop_front();
		if (onNotice)
		{
			onNotice(next.notice);
		}
		if (next.then)
		{
			next.then();
		}
	}
}

bool OnlineSession::InLockstep() const
{
	return phase == Phase::HostPlaying || phase == Phase::PartnerPlaying || phase == Phase::HostLeaving ||
		phase == Phase::PartnerLeaving;
}

void OnlineSession::Service()
{
	if (!link.IsOpen())
	{
		return;
	}
	const double began = LinkFigures::ThreadSeconds();
	// One pass over the socket; the events it brought are then taken
	// without asking the system again. The news stops at a notice: the
	// program acts on it before the session hears more.
	ENetEvent event;
	for (bool first = true; notices.empty() && link.Poll(&event, first); first = false)
	{
		Handle(event);
	}
	if (options.host)
	{
		link.ShortenHalfOpen(peer);
	}
	CheckWaits();
	SendOutgoing();
	if (phase == Phase::PartnerCatchingUp && Clock::now() - progressSentAt >= ProgressInterval)
	{
		Send(WireMessage::Of(Kind::Progress, {catchUp.Frame()}));
		progressSentAt = Clock::now();
	}
	CheckPartner();
	link.Flush();
	if (InLockstep())
	{
		figures.AddNetworking(LinkFigures::ThreadSeconds() - began);
		figures.Sample(lockstep.Frame(), RoundTripMs());
	}
}

void OnlineSession::FrameEnded()
{
	if (phase == Phase::HostWelcoming)
	{
		SendWelcome();
		link.Flush();
	}
	if (phase == Phase::PartnerCatchingUp)
	{
		CatchUpEnded();
	}
}

bool OnlineSession::Leave()
{
	if ((phase != Phase::HostPlaying && phase != Phase::HostAwaitingCatchUp && phase != Phase::PartnerPlaying) ||
		peer == nullptr)
	{
		return false;
	}
	Send(WireMessage::Of(Kind::Bye, {lockstep.Finish()}));
	leftAt = Clock::now();
	ChangePhase(options.host ? Phase::HostLeaving : Phase::PartnerLeaving);
	return true;
}

void OnlineSession::Finished()
{
	// The partner still needs inputs of this machine's to reach the last
	// frame: they go again until it has them.
	if (peer != nullptr && !lockstep.PartnerHasAll())
	{
		return;
	}
	if (phase != Phase::HostLeaving && phase != Phase::PartnerLeaving)
	{
		Drop("the partner left the game");
		return;
	}
	// Going at once could lose the digests still queued for the partner;
	// ENet says when it has them all.
	if (peer != nullptr && EnetLink::IsConnected(peer))
	{
		EnetLink::LetGo(peer);
	}
}

void OnlineSession::Handle(const ENetEvent& event)
{
	if (rendezvous.Owns(event.peer))
	{
		Coordinated(rendezvous.Handle(event));
		return;
	}
	switch (event.type)
	{
	case ENET_EVENT_TYPE_CONNECT:
		Connected(event.peer);
		break;
	case ENET_EVENT_TYPE_RECEIVE:
	{
		const std::string packet(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength);
		enet_packet_destroy(event.packet);
		if (event.peer == peer)
		{
			lastHeard = Clock::now();
			Received(packet);
		}
		else if (callers.Has(event.peer))
		{
			CallerSpoke(event.peer, packet);
		}
		break;
	}
	case ENET_EVENT_TYPE_DISCONNECT:
		if (callers.Has(event.peer))
		{
			callers.Forget(event.peer);
		}
		else if (event.peer == peer)
		{
			PartnerGone(event);
		}
		break;
	case ENET_EVENT_TYPE_NONE:
		break;
	}
}

void OnlineSession::Coordinated(Rendezvous::News news)
{
	switch (news)
	{
	case Rendezvous::News::Registered:
		std::printf("contest: %s\n", Invite().c_str());
		std::fflush(stdout);
		break;
	case Rendezvous::News::Met:
		partnerAddress = rendezvous.FirstTarget(&path);
		metAt = Clock::now();
		Call();
		break;
	case Rendezvous::News::Failed:
		if (!options.host)
		{
			JoinFailed(rendezvous.Reason());
			break;
		}
		std::fprintf(stderr, "contest: %s; a partner can still join by address\n", rendezvous.Reason().c_str());
		break;
	case Rendezvous::News::Nothing:
		break;
	}
}

void OnlineSession::PartnerGone(const ENetEvent& event)
{
	peer = nullptr;
	if (phase == Phase::PartnerCalling)
	{
		// Nobody answered this try: another, while the budget lasts.
		Call();
		return;
	}
	if (phase == Phase::PartnerGreeted && event.data == BusyReason)
	{
		JoinFailed("the host already has a partner");
		return;
	}
	if (phase == Phase::HostLeaving || phase == Phase::PartnerLeaving)
	{
		return;
	}
	// A partner who said goodbye lets go once this machine has every input
	// of the frames still to play; they run before the game goes on alone.
	// One who found the games parted sent its digest before it went.
	if (!lockstep.HasAllFromPartner())
	{
		Drop(lockstep.DifferingFrame() >= 0 ? PartedReason()
			: options.host				  ? "the partner left"
										  : "the host left");
	}
}

void OnlineSession::Received(const std::string& packet)
{
	WireMessage::Kind kind = Kind::Probe;
	const Reaction reaction =
		WireMessage::KindOf(packet, &kind) ? PhaseTable::ReactionTo(phase, kind) : Reaction::Refused;
	if (reaction == Reaction::Refused)
	{
		Drop(PhaseTable::OutOfTurn(phase, WireMessage::FirstLine(packet)));
		return;
	}
	if (reaction == Reaction::PassedOver)
	{
		return;
	}
	WireMessage message;
	std::string error;
	if (!WireMessage::Parse(packet, options.scenes, &message, &error))
	{
		Drop("a bad packet (" + error + ")");
		return;
	}
	React(reaction, message);
}

void OnlineSession::React(Reaction reaction, const WireMessage& message)
{
	const int first = message.numbers.empty() ? 0 : static_cast<int>(message.numbers[0]);
	switch (reaction)
	{
	case Reaction::AnswerProbe:
		return AnswerProbe(message);
	case Reaction::TakeWelcome:
		return Welcome(message);
	case Reaction::TakeRefusal:
		return Refused(message);
	case Reaction::TakeDenial:
		return Denied();
	case Reaction::TakeGamePiece:
		return GamePiece(message.text);
	case Reaction::TakeProgress:
		return Progress(first);
	case Reaction::TakeReady:
		return PartnerCaughtUp();
	case Reaction::TakeParted:
		return Parted(first);
	case Reaction::TakeInputs:
		return Inputs(message);
	case Reaction::TakeDigest:
		return Digest(message);
	case Reaction::TakeGoodbye:
		return Goodbye(first);
	case Reaction::TakeEarlyGoodbye:
		return Drop("the host left");
	case Reaction::Refused:
	case Reaction::PassedOver:
		break;
	}
}

void OnlineSession::Begin(Lockstep::Side side, int delay, int played)
{
	lockstep.Start(side, delay, played);
	// A host says nothing while its partner catches up.
	lastHeard = Clock::now();
	lastSentFrame = -1;
	acknowledgementDue = false;
	figures.StartCounting(lockstep.Frame());
	progressAt = figures.StartedAt();
	link.ResetCounts();
}

void OnlineSession::Drop(const std::string& reason)
{
	if (phase == Phase::PartnerCalling || phase == Phase::PartnerGreeted || phase == Phase::PartnerReceiving ||
		phase == Phase::PartnerCatchingUp)
	{
		// The partner had no game with the host yet: the join failed.
		JoinFailed(reason);
		return;
	}
	// Only a game that was played has figures worth giving.
	const std::string said = InLockstep() ? " " + Summary() : "";
	std::fprintf(stderr, "contest: %s%s; the game goes on alone\n", reason.c_str(), said.c_str());
	endedWhy = reason;
	if (peer != nullptr)
	{
		// What was queued for the partner still goes: its digests tell it
		// why.
		EnetLink::LetGo(peer);
		peer = nullptr;
	}
	if (lockstep.IsRunning())
	{
		lockstep.Stop();
		Notify(Notice(Notice::Kind::PartnerLeft));
	}
	// A player who left goes all the same.
	if (phase != Phase::HostLeaving && phase != Phase::PartnerLeaving)
	{
		ChangePhase(options.host ? Phase::HostListening : Phase::PartnerAlone);
	}
}
