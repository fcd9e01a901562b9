#include "framework/net/OnlineSession.h"

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <deque>
#include <random>
#include <sstream>

#include "framework/input/InputStream.h"
#include "framework/input/LineWords.h"

OnlineSession onlineSession;

namespace
{
using Clock = std::chrono::steady_clock;

constexpr double FrameMilliseconds = 1000.0 / 60.0;
// Disconnect data the host gives a second partner.
constexpr enet_uint32 BusyReason = 1;
// The host's ENet peers: the partner, callers waiting to be heard, and room
// to turn more away.
constexpr std::size_t HostPeers = 8;
// How often a side that has nothing new says its unacknowledged batches
// and its acknowledgement again: every other frame.
constexpr std::chrono::milliseconds RepeatInterval{33};
// How long a player who left waits for the partner to take its last
// packets before the program goes anyway.
constexpr std::chrono::seconds LeaveLinger{2};
// The host's game travels in pieces that each fit a packet.
constexpr std::size_t GamePieceBytes = 60000;
// How often a partner catching up says how far it has got; the host hears
// from it meanwhile, and does not take it for gone.
constexpr std::chrono::milliseconds ProgressInterval{100};

// The processor time this thread has used: what the networking itself
// costs, whatever else the machine runs meanwhile.
double ThreadSeconds()
{
	timespec now{};
	clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
	return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The header of an online game's recording: the game scene built afresh
// from seed, with keyboard play on.
ReplayLog::Header GameHeader(const OnlineSession::Options& options, unsigned seed, Lockstep::Side side)
{
	ReplayLog::Header header{options.program, 0, options.width, options.height, true};
	header.seed = seed;
	header.side = side;
	return header;
}

// "1 frame", "3 frames".
std::string Frames(int count)
{
	return std::to_string(count) + (count == 1 ? " frame" : " frames");
}

} // namespace

OnlineSession::~OnlineSession()
{
	if (peer != nullptr)
	{
		EnetLink::LetGoNow(peer);
	}
}

bool OnlineSession::Open(const Options& given, std::string* error)
{
	options = given;
	ENetAddress address{};
	if (!EnetLink::Resolve(options.address, options.port, &address))
	{
		*error = "no such host: " + options.address;
		return false;
	}
	if (!link.Open(options.host ? &address : nullptr, options.host ? HostPeers : 1, error))
	{
		return false;
	}
	ChangePhase(options.host ? Phase::Waiting : Phase::Calling);
	if (!options.host)
	{
		partnerAddress = address;
		joinStarted = Clock::now();
		Call();
	}
	lockstep.KeepGame(options.host);
	return true;
}

void OnlineSession::Call()
{
	// Each try is short; the join's budget bounds them all.
	peer = link.Call(partnerAddress);
}

ReplayLog::Header OnlineSession::BeginGame(unsigned seed)
{
	gameHeader = GameHeader(options, seed, Lockstep::Side::Host);
	game.RecordInMemory(gameHeader, MaxCatchUpBytes);
	inputStream.RemoveListener(&game);
	inputStream.AddListener(&game);
	return gameHeader;
}

void OnlineSession::Service()
{
	if (!link.IsOpen())
	{
		return;
	}
	const double began = ThreadSeconds();
	// One pass over the socket; the events it brought are then taken
	// without asking the system again.
	ENetEvent event;
	for (bool first = true; link.Poll(&event, first); first = false)
	{
		Handle(event);
	}
	if (options.host)
	{
		link.ShortenHalfOpen(peer);
	}
	CheckWaits();
	SendOutgoing();
	if (phase == Phase::CatchingUp && Clock::now() - progressSentAt >= ProgressInterval)
	{
		Send("progress " + std::to_string(catchUp.Frame()) + "\n");
		progressSentAt = Clock::now();
	}
	if (lockstep.Unacknowledged().size() > Lockstep::MaxLead)
	{
		Drop("the partner acknowledges nothing");
	}
	if (lockstep.IsRunning() && lockstep.DifferingFrame() >= 0)
	{
		Drop(PartedReason());
	}
	if (lockstep.IsRunning() && lockstep.IsOver())
	{
		Finished();
	}
	if (peer != nullptr && lockstep.IsRunning() && !lockstep.IsLeaving() && Clock::now() - lastHeard > PartnerTimeout)
	{
		Drop("no word from the partner for 3 s");
	}
	// Gone once the last frame ran and the partner let go, or after a while
	// whatever happened.
	if (lockstep.IsLeaving() && !left &&
		((lockstep.IsOver() && peer == nullptr) || Clock::now() - leftAt > LeaveLinger))
	{
		std::fprintf(stderr, "contest: left the game %s\n", Summary().c_str());
		left = true;
	}
	link.Flush();
	if (phase == Phase::Playing)
	{
		networkingSeconds += ThreadSeconds() - began;
		Sample();
	}
}

void OnlineSession::CheckWaits()
{
	const Clock::time_point now = Clock::now();
	for (std::size_t i = 0; i < callers.size();)
	{
		if (now - callers[i].since > HandshakeTimeout)
		{
			TurnAway(callers[i].peer, "no hello within 5 s");
			continue;
		}
		++i;
	}
	switch (phase)
	{
	case Phase::Calling:
		if (now - joinStarted > JoinBudget)
		{
			JoinFailed("no answer within " + std::to_string(JoinBudget.count()) +
				" s: nobody hosts a game there, or its host has no room");
		}
		break;
	case Phase::Greeted:
	case Phase::Receiving:
		if (now - lastHeard > HandshakeTimeout)
		{
			JoinFailed(phase == Phase::Greeted ? "the host said nothing for 5 s after its greeting"
														: "the host's game stopped coming for 5 s");
		}
		break;
	case Phase::PartnerCatchingUp:
		if (now - progressAt > CatchUpStall)
		{
			Drop("the partner's catch-up got no further than frame " + std::to_string(partnerProgress) + " of " +
				std::to_string(partnerTarget) + " for 5 s");
		}
		else if (now - startedAt > CatchUpLimit)
		{
			Drop("the partner did not catch up within " + std::to_string(CatchUpLimit.count()) + " s");
		}
		break;
	case Phase::Playing:
		if (lockstep.MissingDigest() >= 0)
		{
			Drop("the partner sent no digest of frame " + std::to_string(lockstep.MissingDigest()));
		}
		break;
	default:
		break;
	}
}

void OnlineSession::ChangePhase(Phase next)
{
	phase = next;
}

void OnlineSession::SendFrame()
{
	if (!link.IsOpen())
	{
		return;
	}
	const double began = ThreadSeconds();
	SendOutgoing();
	link.Flush();
	if (phase == Phase::Playing)
	{
		networkingSeconds += ThreadSeconds() - began;
	}
}

void OnlineSession::FrameEnded()
{
	if (phase == Phase::Welcoming)
	{
		SendWelcome();
		link.Flush();
	}
	if (phase != Phase::CatchingUp)
	{
		return;
	}
	// Digests are named by lockstep's frames, which count from 0.
	const int parted = catchUp.FirstMismatchFrame() - 1;
	if (parted >= 0)
	{
		Send("parted " + std::to_string(parted) + "\n");
		Drop("the two games differ from frame " + std::to_string(parted) + " on");
	}
	else if (!catchUp.IsGiving())
	{
		CaughtUp();
	}
}

void OnlineSession::SendOutgoing()
{
	SendInputs();
	for (const InputLine& digest : lockstep.TakeDigests())
	{
		Send("digest\n" + ReplayLog::Format(digest));
	}
}

void OnlineSession::Sample()
{
	const int frames = lockstep.Frame() - sampledFrame;
	if (frames <= 0)
	{
		return;
	}
	const Clock::time_point now = Clock::now();
	const float each = std::chrono::duration<float, std::milli>(now - sampledAt).count() / static_cast<float>(frames);
	for (int i = 0; i < frames && i < HistoryFrames; ++i)
	{
		roundTrips[historyNext] = RoundTripMs();
		frameTimes[historyNext] = each;
		historyNext = (historyNext + 1) % HistoryFrames;
	}
	sampledFrame = lockstep.Frame();
	sampledAt = now;
}

bool OnlineSession::Leave()
{
	if (!lockstep.IsRunning() || lockstep.IsLeaving() || peer == nullptr)
	{
		return false;
	}
	Send("bye " + std::to_string(lockstep.Finish()) + "\n");
	leftAt = Clock::now();
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
	if (!lockstep.IsLeaving())
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
	const auto caller = FindCaller(event.peer);
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
		else if (caller != callers.end())
		{
			CallerSpoke(event.peer, packet);
		}
		break;
	}
	case ENET_EVENT_TYPE_DISCONNECT:
		if (caller != callers.end())
		{
			callers.erase(caller);
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

void OnlineSession::PartnerGone(const ENetEvent& event)
{
		peer = nullptr;
	if (phase == Phase::Calling)
	{
		// Nobody answered this try: another, while the budget lasts.
		Call();
		return;
	}
	if (phase == Phase::Greeted && event.data == BusyReason)
	{
		JoinFailed("the host already has a partner");
		return;
	}
	if (lockstep.IsLeaving())
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

void OnlineSession::Connected(ENetPeer* caller)
{
	EnetLink::Configure(caller);
	if (!options.host)
	{
		peer = caller;
		ChangePhase(Phase::Greeted);
		lastHeard = Clock::now();
		return;
	}
	if (phase != Phase::Waiting)
	{
		std::fprintf(stderr, "contest: refused %s: a partner already plays\n", EnetLink::AddressOf(caller).c_str());
		EnetLink::LetGo(caller, BusyReason);
		return;
	}
	// Every caller is asked who it is; the first to answer well plays.
	callers.push_back({caller, Clock::now()});
	EnetLink::Send(caller, "probe\n");
}

void OnlineSession::TurnAway(ENetPeer* caller, const std::string& reason, enet_uint32 data)
{
	std::fprintf(stderr, "contest: refused %s: %s\n", EnetLink::AddressOf(caller).c_str(), reason.c_str());
	EnetLink::LetGo(caller, data);
	callers.erase(FindCaller(caller));
}

std::vector<OnlineSession::Caller>::iterator OnlineSession::FindCaller(const ENetPeer* peer)
{
	return std::find_if(callers.begin(), callers.end(), [peer](const Caller& each) { return each.peer == peer; });
}

void OnlineSession::CallerSpoke(ENetPeer* caller, const std::string& packet)
{
	std::istringstream lines(packet);
	std::string first;
	std::getline(lines, first);
	LineWords words(first);
	const std::string kind = words.Word("packet");
	const int protocol = static_cast<int>(words.Integer("protocol", 0, INT32_MAX));
	const std::string version = words.Word("version");
	if (kind != "hello")
	{
		TurnAway(caller, "it sent " + LineWords::Quoted(first) + " before its hello");
	}
	else if (!words.Error().empty() || !words.Done())
	{
		TurnAway(caller, "a hello that says nothing: " +
				(words.Error().empty() ? "more words than a hello takes" : words.Error()));
	}
	else
	{
		Hello(*FindCaller(caller), version, protocol);
	}
}

void OnlineSession::Received(const std::string& packet)
{
	std::istringstream lines(packet);
	std::string first;
	std::getline(lines, first);
	LineWords words(first);
	const std::string kind = words.Word("packet");
		const bool playing = lockstep.IsRunning();
	if ((kind == "frames" || kind == "digest") && playing)
	{
		kind == "frames" ? Inputs(packet) : Digest(packet);
	}
	else if ((kind == "frames" || kind == "digest") && (phase == Phase::Receiving || phase == Phase::CatchingUp))
	{
		// The host plays on while this machine catches up, and its inputs
		// may overtake the welcome; they come again until acknowledged. A
		// digest of those frames goes unchecked.
	}
	else if (kind == "bye" && playing)
	{
		Goodbye(words);
	}
	else if (kind == "bye" && (phase == Phase::Receiving || phase == Phase::CatchingUp))
	{
		Drop("the host left");
	}
	else if (kind == "game" && phase == Phase::Receiving)
	{
		HostGame(packet);
	}
	else if (kind == "progress" && phase == Phase::PartnerCatchingUp)
	{
		Progress(words);
	}
	else if ((kind == "progress" || kind == "ready") && options.host && phase == Phase::Playing)
	{
		// A late word of the catch-up: it is reliable, the inputs that end
		// it are not, and each keeps its own order.
	}
	else if (kind == "ready" && phase == Phase::PartnerCatchingUp)
	{
		PartnerCaughtUp();
	}
	else if (kind == "parted" && phase == Phase::PartnerCatchingUp)
	{
		Parted(words);
	}
	else if (kind == "probe" && phase == Phase::Greeted)
	{
		Send("hello " + std::to_string(ProtocolVersion) + " " + options.program.c_str() + "\n");
	}
	else if (kind == "welcome" && phase == Phase::Greeted)
	{
		Welcome(words);
	}
	else if (kind == "refuse" && phase == Phase::Greeted)
	{
		const int protocol = static_cast<int>(words.Integer("protocol", 0, INT32_MAX));
		Refused(words.Word("version"), protocol);
	}
	else
	{
		Drop("a packet out of turn: " + LineWords::Quoted(first));
	}
}

void OnlineSession::Hello(Caller called, const std::string& version, int protocol)
{
	ENetPeer* const caller = called.peer;
	if (protocol != ProtocolVersion || version != options.program.c_str())
	{
		std::fprintf(stderr, "contest: a partner's program (protocol %d, version %s) met this one (protocol %d, version %s): they must be the same\n",
			protocol, LineWords::Quoted(version).c_str(), ProtocolVersion, options.program.c_str());
		const std::string refusal = "refuse " + std::to_string(ProtocolVersion) + " " + options.program.c_str() + "\n";
		EnetLink::Send(caller, refusal);
		TurnAway(caller, "its program is another version");
		return;
	}
	peer = caller;
	partnerName = EnetLink::AddressOf(caller);
	lastHeard = Clock::now();
	callers.erase(FindCaller(caller));
	while (!callers.empty())
	{
		TurnAway(callers.front().peer, "a partner already plays", BusyReason);
	}
	const double roundTrip = std::chrono::duration<double, std::milli>(Clock::now() - called.since).count();
	const int delay = options.delay != 0 ? options.delay
										 : std::clamp(static_cast<int>(roundTrip / 2 / FrameMilliseconds) + 1,
											   Lockstep::MinDelay, Lockstep::MaxDelay);
	std::fprintf(stderr, "contest: %s joined; input delay %s\n", partnerName.c_str(), Frames(delay).c_str());
	welcomeDelay = delay;
	ChangePhase(Phase::Welcoming);
}

void OnlineSession::SendWelcome()
{
	if (peer == nullptr)
	{
		ChangePhase(Phase::Waiting);
		return;
	}
	const std::string& played = game.Kept();
	const int frames = game.Frame();
	if (!played.empty() && frames <= MaxCatchUpFrames)
	{
		Send("welcome " + std::to_string(gameHeader.seed) + " " + std::to_string(welcomeDelay) + " " +
			std::to_string(frames) + " " + std::to_string(played.size()) + "\n");
		for (std::size_t at = 0; at < played.size(); at += GamePieceBytes)
		{
			Send("game\n" + played.substr(at, GamePieceBytes));
		}
		partnerTarget = frames;
		partnerProgress = 0;
		Begin(Lockstep::Side::Host, welcomeDelay, frames);
		lockstep.Hold(true);
		ChangePhase(Phase::PartnerCatchingUp);
		return;
	}
	std::fprintf(stderr, "contest: the game has run too long for a partner to catch up with; a new one starts\n");
	const unsigned seed = std::random_device()();
	Send("welcome " + std::to_string(seed) + " " + std::to_string(welcomeDelay) + " 0 0\n");
	// The new game is kept from its build on, not the old one's end.
	inputStream.RemoveListener(&game);
	onStart(seed);
	const ReplayLog::Header header = BeginGame(seed);
	Begin(Lockstep::Side::Host, welcomeDelay, 0);
	ChangePhase(Phase::Playing);
	onShared(header, {}, 0);
}

void OnlineSession::Welcome(LineWords& words)
{
	const long seed = words.Integer("seed", 0, UINT32_MAX);
	const long delay = words.Integer("delay", Lockstep::MinDelay, Lockstep::MaxDelay);
	const long frames = words.Integer("frames played", 0, MaxCatchUpFrames);
	const long bytes = words.Integer("bytes of the game", 0, MaxCatchUpBytes);
	if (!words.Error().empty() || !words.Done())
	{
		Drop("a welcome out of range: " +
			(words.Error().empty() ? std::string("more words than a welcome takes") : words.Error()));
		return;
	}
	partnerName = options.address + ":" + std::to_string(options.port);
	std::fprintf(stderr, "contest: joined %s; input delay %s\n", partnerName.c_str(),
		Frames(static_cast<int>(delay)).c_str());
	if (options.delay != 0 && options.delay != delay)
	{
		std::fprintf(stderr, "contest: the host sets the input delay: --delay %d gives way to its %s\n",
			options.delay, Frames(static_cast<int>(delay)).c_str());
	}
	joining = Joining{static_cast<int>(delay), static_cast<int>(frames), static_cast<std::size_t>(bytes), ""};
	if (bytes != 0)
	{
		ChangePhase(Phase::Receiving);
		return;
	}
	onStart(static_cast<unsigned>(seed));
	Begin(Lockstep::Side::Partner, static_cast<int>(delay), 0);
	ChangePhase(Phase::Playing);
	onShared(GameHeader(options, static_cast<unsigned>(seed), Lockstep::Side::Partner), {}, 0);
}

void OnlineSession::HostGame(const std::string& packet)
{
	joining.text.append(packet, packet.find('\n') + 1, std::string::npos);
	if (joining.text.size() > joining.bytes)
	{
		Drop("a bad packet (more of the host's game than the " + std::to_string(joining.bytes) + " bytes announced)");
	}
	else if (joining.text.size() == joining.bytes)
	{
		StartCatchingUp();
	}
}

void OnlineSession::StartCatchingUp()
{
	ReplayLog played;
	std::istringstream text(joining.text);
	std::string error;
	if (played.Parse(text, "the host's game", options.sceneCount, &error))
	{
		error = HandedOverFault(played, joining.frames);
	}
	std::string().swap(joining.text);
	if (!error.empty())
	{
		Drop("a bad packet (" + error + ")");
		return;
	}
	std::fprintf(stderr, "contest: catching up with the host's game: %s\n", Frames(joining.frames).c_str());
	onStart(played.header.seed);
	catchUp.CatchUp(std::move(played), joining.frames);
	catchUpStarted = Clock::now();
	ChangePhase(Phase::CatchingUp);
	inputStream.SetSource(&catchUp);
	if (joining.frames == 0)
	{
		CaughtUp();
	}
}

std::string OnlineSession::HandedOverFault(const ReplayLog& played, int frames) const
{
	if (played.IsComplete())
	{
		return "the host's game has ended";
	}
	if (!played.lines.empty() && played.lines.back().frame > frames)
	{
		return "the host's game goes beyond its frame " + std::to_string(frames);
	}
	if (played.header.scene != 0)
	{
		return "the host's game is not the game";
	}
	// Frame by frame, only what a game played online may hold.
	std::string why;
	for (std::size_t first = 0; first < played.lines.size();)
	{
		std::size_t end = first;
		while (end < played.lines.size() && played.lines[end].frame == played.lines[first].frame)
		{
			++end;
		}
		const std::vector<InputLine> frame(played.lines.begin() + static_cast<std::ptrdiff_t>(first),
			played.lines.begin() + static_cast<std::ptrdiff_t>(end));
		if (!lockstep.Rules().CheckHandedOver(frame, &why))
		{
			return "the host's game holds, in frame " + std::to_string(played.lines[first].frame) + ", " + why;
		}
		first = end;
	}
	return "";
}

void OnlineSession::CaughtUp()
{
	StopCatchingUp();
	const double seconds = std::chrono::duration<double>(Clock::now() - catchUpStarted).count();
	std::fprintf(stderr, "contest: caught up in %.1f s\n", seconds);
	Begin(Lockstep::Side::Partner, joining.delay, joining.frames);
	ChangePhase(Phase::Playing);
	// The host goes on as soon as it hears, a little before this machine's
	// inputs reach it: as at a new game's start, it runs a trip ahead.
	Send("ready\n");
	link.Flush();
	ReplayLog::Header header = catchUp.Log().header;
	header.side = Lockstep::Side::Partner;
	onShared(header, catchUp.Log().lines, joining.frames);
}

void OnlineSession::StopCatchingUp()
{
	std::string().swap(joining.text);
	if (phase == Phase::CatchingUp)
	{
		inputStream.SetSource(&lockstep);
	}
}

void OnlineSession::PartnerCaughtUp()
{
	if (phase != Phase::PartnerCatchingUp)
	{
		return;
	}
	std::fprintf(stderr, "contest: the partner caught up in %.1f s\n",
		std::chrono::duration<double>(Clock::now() - startedAt).count());
	ChangePhase(Phase::Playing);
	lockstep.Hold(false);
	// The game handed over and the wait for the partner are not play.
	StartCounting();
}

void OnlineSession::Progress(LineWords& words)
{
	const long frame = words.Integer("frame", 0, partnerTarget);
	if (!words.Error().empty() || !words.Done())
	{
		Drop("a bad packet (progress " + words.Error() + ")");
		return;
	}
	// Only progress counts: a partner saying the same frame again is
	// stuck, however often it says so.
	if (frame > partnerProgress)
	{
		partnerProgress = static_cast<int>(frame);
		progressAt = Clock::now();
	}
}

void OnlineSession::Parted(LineWords& words)
{
	const long frame = words.Integer("frame", 0, partnerTarget);
	if (!words.Error().empty() || !words.Done())
	{
		Drop("a bad packet (parted " + words.Error() + ")");
		return;
	}
	Drop("the two games differ from frame " + std::to_string(frame) + " on");
}

void OnlineSession::Begin(Lockstep::Side side, int delay, int first)
{
	lockstep.Start(side, delay, first);
	// A host says nothing while its partner catches up.
	lastHeard = Clock::now();
	left = false;
	lastSentFrame = -1;
	acknowledgementDue = false;
	StartCounting();
}

void OnlineSession::StartCounting()
{
	startedAt = Clock::now();
	progressAt = startedAt;
	networkingSeconds = 0.0;
	countedFrom = lockstep.Frame();
	sampledFrame = lockstep.Frame();
	sampledAt = startedAt;
	link.ResetCounts();
}

void OnlineSession::Refused(const std::string& version, int protocol)
{
	char text[256];
	std::snprintf(text, sizeof(text),
		"the host's program (protocol %d, version %s) met this one (protocol %d, version %s): they must be the same",
		protocol, LineWords::Quoted(version).c_str(), ProtocolVersion, options.program.c_str());
	JoinFailed(text);
}

void OnlineSession::JoinFailed(const std::string& reason)
{
	std::fprintf(stderr, "contest: could not join %s:%u: %s\n", options.address.c_str(),
		static_cast<unsigned>(options.port), reason.c_str());
	StopCatchingUp();
	ChangePhase(Phase::Refused);
	if (peer != nullptr)
	{
		EnetLink::LetGo(peer);
		peer = nullptr;
	}
}

void OnlineSession::Goodbye(LineWords& words)
{
	const long last = words.Integer("last frame", 0, INT32_MAX);
	std::string error = words.Done() ? words.Error() : "more words than a goodbye takes";
	if (error.empty())
	{
		lockstep.PartnerFinishes(static_cast<int>(last), &error);
	}
	if (!error.empty())
	{
		Drop("a bad packet (" + error + ")");
	}
}

void OnlineSession::SendInputs()
{
	const std::deque<Lockstep::Batch>& batches = lockstep.Unacknowledged();
	const int newest = batches.empty() ? -1 : batches.back().frame;
	const bool fresh = newest > lastSentFrame;
	const bool repeat = (!batches.empty() || acknowledgementDue) && Clock::now() - lastSentAt >= RepeatInterval;
	if (peer == nullptr || !lockstep.IsRunning() || !(fresh || repeat))
	{
		return;
	}
	const int first = batches.empty() ? newest + 1 : batches.front().frame;
	std::string packet = "frames " + std::to_string(lockstep.LastReceived()) + " " + std::to_string(first) + " " +
		std::to_string(batches.size()) + "\n";
	for (const Lockstep::Batch& batch : batches)
	{
		for (const InputLine& line : batch.lines)
		{
			packet += ReplayLog::Format(line);
		}
	}
	// Unsequenced: a lost packet is not sent again by ENet, the next one
	// carries its batches anyway, and none waits for another.
	Send(packet, false);
	lastSentFrame = std::max(lastSentFrame, newest);
	lastSentAt = Clock::now();
	acknowledgementDue = false;
}

void OnlineSession::Inputs(const std::string& packet)
{
	std::istringstream lines(packet);
	std::string text;
	std::getline(lines, text);
	LineWords words(text);
	words.Word("packet");
	const long acknowledged = words.Integer("acknowledged frame", -1, INT32_MAX);
	const long first = words.Integer("first frame", 0, INT32_MAX - Lockstep::MaxLead);
	const long count = words.Integer("frame count", 0, Lockstep::MaxLead);
	std::string error = words.Done() ? words.Error() : "more words than a frames line takes";
	std::vector<Lockstep::Batch> batches(error.empty() ? static_cast<std::size_t>(count) : 0);
	for (std::size_t i = 0; i < batches.size(); ++i)
	{
		batches[i].frame = static_cast<int>(first + static_cast<long>(i));
	}
	while (error.empty() && std::getline(lines, text))
	{
		InputLine line;
		if (!ReplayLog::ReadOne(text, options.sceneCount, &line, &error))
		{
			break;
		}
		if (line.frame < first || line.frame >= first + count)
		{
			error = "an input of frame " + std::to_string(line.frame) + " in a packet of frames " +
				std::to_string(first) + " to " + std::to_string(first + count - 1);
			break;
		}
		batches[static_cast<std::size_t>(line.frame - first)].lines.push_back(line);
	}
	if (error.empty())
	{
		lockstep.Acknowledge(static_cast<int>(acknowledged), &error);
	}
	for (std::size_t i = 0; error.empty() && i < batches.size(); ++i)
	{
		lockstep.Receive(batches[i], &error);
	}
	if (!error.empty())
	{
		Drop("a bad packet (" + error + ")");
		return;
	}
	// Even batches heard before: the acknowledgement that answered them may
	// have been lost.
	acknowledgementDue = acknowledgementDue || count > 0;
	PartnerCaughtUp();
}

void OnlineSession::Digest(const std::string& packet)
{
	std::istringstream lines(packet);
	std::string text;
	std::getline(lines, text);
	std::getline(lines, text);
	InputLine digest;
	std::string error;
	if (ReplayLog::ReadOne(text, options.sceneCount, &digest, &error))
	{
		lockstep.ReceiveDigest(digest, &error);
	}
	if (!error.empty())
	{
		Drop("a bad packet (" + error + ")");
	}
}

void OnlineSession::Send(const std::string& packet, bool reliable)
{
	if (peer != nullptr)
	{
		EnetLink::Send(peer, packet, reliable);
	}
}

void OnlineSession::Drop(const std::string& reason)
{
	if (phase == Phase::Calling || phase == Phase::Greeted || phase == Phase::Receiving ||
		phase == Phase::CatchingUp)
	{
		// The partner had no game with the host yet: the join failed.
		JoinFailed(reason);
		return;
	}
	// Only a game that was played has figures worth giving.
	const std::string figures = phase == Phase::Playing ? " " + Summary() : "";
	std::fprintf(stderr, "contest: %s%s; the game goes on alone\n", reason.c_str(), figures.c_str());
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
		if (onPartnerLeft)
		{
			onPartnerLeft();
		}
	}
	ChangePhase(options.host ? Phase::Waiting : Phase::Alone);
}

std::string OnlineSession::PartedReason() const
{
	return "the two games differ from frame " + std::to_string(lockstep.DifferingFrame()) + " on";
}

std::string OnlineSession::Summary() const
{
	const double seconds = std::max(std::chrono::duration<double>(Clock::now() - startedAt).count(), 1.0);
	const double networkingMs = networkingSeconds * 1000.0;
	char text[256];
	std::snprintf(text, sizeof(text),
		"after frame %d (%d digests matched, %d frames waited, %.0f bytes/s out, %.0f in, %.3f ms of networking a "
		"frame)",
		lockstep.Frame(), lockstep.DigestsMatched(), lockstep.FramesWaited(), link.SentBytes() / seconds,
		link.ReceivedBytes() / seconds, networkingMs / std::max(lockstep.Frame() - countedFrom, 1));
	return text;
}

std::string OnlineSession::StatusLine() const
{
	const std::string you = "you play " + options.fighters[options.host ? 0 : 1];
	switch (phase)
	{
	case Phase::Calling:
	case Phase::Greeted:
		return "joining " + options.address + ":" + std::to_string(options.port);
	case Phase::Receiving:
		return "receiving the host's game";
	case Phase::CatchingUp:
		return "catching up with the host's game: frame " + std::to_string(catchUp.Frame()) + " of " +
			std::to_string(joining.frames);
	case Phase::Waiting:
	case Phase::Welcoming:
		return "waiting for a partner on UDP port " + std::to_string(options.port) + "; " + you +
			(endedWhy.empty() ? "" : " (the last partner went: " + endedWhy + ")");
	case Phase::PartnerCatchingUp:
		return "the partner catches up: frame " + std::to_string(partnerProgress) + " of " +
			std::to_string(partnerTarget);
	case Phase::Playing:
		return "online with " + partnerName + ", input delay " + Frames(lockstep.Delay()) + "; " + you;
	case Phase::Refused:
		return "not joined";
	case Phase::Alone:
		break;
	}
	return "alone: the online game ended (" + endedWhy + ")";
}

std::string OnlineSession::WaitLine() const
{
	return phase == Phase::PartnerCatchingUp ? StatusLine() : "waiting for partner";
}
