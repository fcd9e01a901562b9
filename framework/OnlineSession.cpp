#include "framework/OnlineSession.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <random>
#include <sstream>

#include "framework/InputStream.h"
#include "framework/LineWords.h"
#include "framework/Shell.h"

OnlineSession onlineSession;

namespace
{
using Clock = std::chrono::steady_clock;

// A frame's inputs are a few hundred bytes at most, and a packet carries
// the frames of a round trip and twice the input delay, about a hundred on
// a slow link; anything much larger is no packet of ours.
constexpr std::size_t MaxPacketBytes = 65536;
constexpr double FrameMilliseconds = 1000.0 / 60.0;
// Disconnect data the host gives a second partner.
constexpr enet_uint32 BusyReason = 1;
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
ReplayLog::Header GameHeader(unsigned seed, Lockstep::Side side)
{
	ReplayLog::Header header{ContestVersion, 0, View::DefaultWidth, View::DefaultHeight, true};
	header.seed = seed;
	header.side = side;
	return header;
}

std::string AddressOf(const ENetPeer* peer)
{
	char text[64] = "?";
	enet_address_get_host_ip(&peer->address, text, sizeof(text));
	return std::string(text) + ":" + std::to_string(peer->address.port);
}
} // namespace

OnlineSession::~OnlineSession()
{
	if (peer != nullptr)
	{
		enet_peer_disconnect_now(peer, 0);
	}
	if (host != nullptr)
	{
		enet_host_destroy(host);
		enet_deinitialize();
	}
}

bool OnlineSession::Open(const Options& given, std::string* error)
{
	options = given;
	if (enet_initialize() != 0)
	{
		*error = "the network cannot be used";
		return false;
	}
	ENetAddress address{};
	address.host = ENET_HOST_ANY;
	address.port = options.port;
	if (!options.address.empty() && enet_address_set_host(&address, options.address.c_str()) != 0)
	{
		*error = "no such host: " + options.address;
		enet_deinitialize();
		return false;
	}
	// The host keeps room for a second caller, to tell it why it is refused.
	host = options.host ? enet_host_create(&address, 2, 1, 0, 0) : enet_host_create(nullptr, 1, 1, 0, 0);
	if (host == nullptr)
	{
		*error = options.host ? "UDP port " + std::to_string(options.port) + " cannot be opened" : "no UDP socket";
		enet_deinitialize();
		return false;
	}
	if (!options.host && enet_host_connect(host, &address, 1, 0) == nullptr)
	{
		*error = "cannot connect to " + options.address;
		return false;
	}
	return true;
}

ReplayLog::Header OnlineSession::BeginGame(unsigned seed)
{
	gameHeader = GameHeader(seed, Lockstep::Side::Host);
	game.RecordInMemory(gameHeader, MaxCatchUpBytes);
	inputStream.RemoveListener(&game);
	inputStream.AddListener(&game);
	return gameHeader;
}

void OnlineSession::Service()
{
	if (host == nullptr)
	{
		return;
	}
	const double began = ThreadSeconds();
	// One pass over the socket; the events it brought are then taken
	// without asking the system again.
	ENetEvent event;
	for (int got = enet_host_service(host, &event, 0); got > 0; got = enet_host_check_events(host, &event))
	{
		Handle(event);
	}
	SendOutgoing();
	if (catchingUp && Clock::now() - progressSentAt >= ProgressInterval)
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
	enet_host_flush(host);
	if (lockstep.IsRunning())
	{
		networkingSeconds += ThreadSeconds() - began;
		Sample();
	}
}

void OnlineSession::SendFrame()
{
	if (host == nullptr)
	{
		return;
	}
	const double began = ThreadSeconds();
	SendOutgoing();
	enet_host_flush(host);
	if (lockstep.IsRunning())
	{
		networkingSeconds += ThreadSeconds() - began;
	}
}

void OnlineSession::FrameEnded()
{
	if (welcomeDue)
	{
		SendWelcome();
		enet_host_flush(host);
	}
	if (!catchingUp)
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
	for (const ReplayLog::Line& digest : lockstep.TakeDigests())
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
	if (peer != nullptr && peer->state == ENET_PEER_STATE_CONNECTED)
	{
		enet_peer_disconnect_later(peer, 0);
	}
}

void OnlineSession::Handle(const ENetEvent& event)
{
	switch (event.type)
	{
	case ENET_EVENT_TYPE_CONNECT:
		Connected(event.peer);
		break;
	case ENET_EVENT_TYPE_RECEIVE:
		if (event.peer == peer)
		{
			lastHeard = Clock::now();
			if (event.packet->dataLength > MaxPacketBytes)
			{
				Drop("a packet of " + std::to_string(event.packet->dataLength) + " bytes");
			}
			else
			{
				Received(std::string(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength));
			}
		}
		enet_packet_destroy(event.packet);
		break;
	case ENET_EVENT_TYPE_DISCONNECT:
		if (event.peer == peer)
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
	if (!options.host && event.data == BusyReason)
	{
		std::fprintf(stderr, "contest: %s already has a partner\n", options.address.c_str());
		failedStatus = 2;
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
		Drop(lockstep.DifferingFrame() >= 0 ? PartedReason() : "the partner left");
	}
}

void OnlineSession::Connected(ENetPeer* caller)
{
	// Left to itself ENet drops unreliable packets when the round trip
	// varies; inputs travel unreliably and must not be thinned.
	enet_peer_throttle_configure(caller, ENET_PEER_PACKET_THROTTLE_INTERVAL, 0, 0);
	if (!options.host)
	{
		peer = caller;
		lastHeard = Clock::now();
		return;
	}
	if (peer != nullptr)
	{
		std::fprintf(stderr, "contest: refused %s: a partner already plays\n", AddressOf(caller).c_str());
		enet_peer_disconnect(caller, BusyReason);
		return;
	}
	peer = caller;
	partnerName = AddressOf(caller);
	lastHeard = Clock::now();
	probeSent = Clock::now();
	Send("probe\n");
}

void OnlineSession::Received(const std::string& packet)
{
	std::istringstream lines(packet);
	std::string first;
	std::getline(lines, first);
	LineWords words(first);
	const std::string kind = words.Word("packet");
	if (kind == "frames" && lockstep.IsRunning())
	{
		Inputs(packet);
	}
	else if (kind == "digest" && lockstep.IsRunning())
	{
		Digest(packet);
	}
	else if ((kind == "frames" || kind == "digest") && !options.host)
	{
		// The host plays on while this machine catches up, and its inputs
		// may overtake the welcome; they come again until acknowledged. A
		// digest of those frames goes unchecked.
	}
	else if (kind == "bye" && lockstep.IsRunning())
	{
		Goodbye(words);
	}
	else if (kind == "bye" && (joining.receiving || catchingUp))
	{
		Drop("the partner left");
	}
	else if (kind == "game" && joining.receiving)
	{
		HostGame(packet);
	}
	else if (kind == "progress" && options.host && lockstep.IsRunning())
	{
		// It may come after the first inputs that end the catch-up: it is
		// reliable, they are not, and each keeps its own order.
		if (partnerTarget >= 0)
		{
			Progress(words);
		}
	}
	else if (kind == "ready" && options.host && lockstep.IsRunning())
	{
		PartnerCaughtUp();
	}
	else if (kind == "parted" && partnerTarget >= 0)
	{
		Parted(words);
	}
	else if (kind == "probe" && !options.host)
	{
		Send("hello " + std::to_string(ProtocolVersion) + " " + ContestVersion + "\n");
	}
	else if (kind == "hello" && options.host && !lockstep.IsRunning() && !welcomeDue)
	{
		const int protocol = static_cast<int>(words.Integer("protocol", 0, INT32_MAX));
		const std::string version = words.Word("version");
		if (words.Error().empty() && words.Done())
		{
			Hello(version, protocol);
			return;
		}
		Drop("a hello that says nothing: " + words.Error());
	}
	else if (kind == "welcome" && !options.host && !lockstep.IsRunning())
	{
		const long seed = words.Integer("seed", 0, UINT32_MAX);
		const long delay = words.Integer("delay", Lockstep::MinDelay, Lockstep::MaxDelay);
		const long frames = words.Integer("frames played", 0, MaxCatchUpFrames);
		const long bytes = words.Integer("bytes of the game", 0, MaxCatchUpBytes);
		if (words.Error().empty() && words.Done() && !joining.receiving && !catchingUp)
		{
			Welcome(static_cast<unsigned>(seed), static_cast<int>(delay), static_cast<int>(frames),
				static_cast<std::size_t>(bytes));
			return;
		}
		Drop("a welcome out of range: " + words.Error());
	}
	else if (kind == "refuse" && !options.host)
	{
		const int protocol = static_cast<int>(words.Integer("protocol", 0, INT32_MAX));
		Refused(words.Word("version"), protocol);
	}
	else
	{
		Drop("a packet out of turn: " + LineWords::Quoted(first));
	}
}

void OnlineSession::Hello(const std::string& version, int protocol)
{
	if (protocol != ProtocolVersion || version != ContestVersion)
	{
		std::fprintf(stderr, "contest: a partner's program (protocol %d, version %s) met this one (protocol %d, version %s): they must be the same\n",
			protocol, LineWords::Quoted(version).c_str(), ProtocolVersion, ContestVersion);
		Send("refuse " + std::to_string(ProtocolVersion) + " " + ContestVersion + "\n");
		enet_peer_disconnect_later(peer, 0);
		peer = nullptr;
		return;
	}
	const double roundTrip =
		std::chrono::duration<double, std::milli>(Clock::now() - probeSent).count();
	const int delay = options.delay != 0 ? options.delay
										 : std::clamp(static_cast<int>(roundTrip / 2 / FrameMilliseconds) + 1,
											   Lockstep::MinDelay, Lockstep::MaxDelay);
	std::fprintf(stderr, "contest: %s joined; input delay %d frames\n", partnerName.c_str(), delay);
	welcomeDelay = delay;
	welcomeDue = true;
}

void OnlineSession::SendWelcome()
{
	welcomeDue = false;
	if (peer == nullptr)
	{
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
	onShared(header, {}, 0);
}

void OnlineSession::Welcome(unsigned seed, int delay, int frames, std::size_t bytes)
{
	partnerName = options.address + ":" + std::to_string(options.port);
	std::fprintf(stderr, "contest: joined %s; input delay %d frames\n", partnerName.c_str(), delay);
	joining = Joining{delay, frames, bytes, "", bytes != 0};
	if (bytes == 0)
	{
		onStart(seed);
		Begin(Lockstep::Side::Partner, delay, 0);
		onShared(GameHeader(seed, Lockstep::Side::Partner), {}, 0);
	}
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
	joining.receiving = false;
	ReplayLog played;
	std::istringstream text(joining.text);
	std::string error;
	if (played.Parse(text, "the host's game", sceneHost.Count(), &error) &&
		(played.IsComplete() || (!played.lines.empty() && played.lines.back().frame > joining.frames)))
	{
		error = "the host's game goes beyond its frame " + std::to_string(joining.frames);
	}
	std::string().swap(joining.text);
	if (!error.empty())
	{
		Drop("a bad packet (" + error + ")");
		return;
	}
	std::fprintf(stderr, "contest: catching up with the host's game: %d frames\n", joining.frames);
	onStart(played.header.seed);
	catchUp.CatchUp(std::move(played), joining.frames);
	catchUpStarted = Clock::now();
	catchingUp = true;
	inputStream.SetSource(&catchUp);
	if (joining.frames == 0)
	{
		CaughtUp();
	}
}

void OnlineSession::CaughtUp()
{
	StopCatchingUp();
	const double seconds = std::chrono::duration<double>(Clock::now() - catchUpStarted).count();
	std::fprintf(stderr, "contest: caught up in %.1f s\n", seconds);
	Begin(Lockstep::Side::Partner, joining.delay, joining.frames);
	// The host goes on as soon as it hears, a little before this machine's
	// inputs reach it: as at a new game's start, it runs a trip ahead.
	Send("ready\n");
	enet_host_flush(host);
	ReplayLog::Header header = catchUp.Log().header;
	header.side = Lockstep::Side::Partner;
	onShared(header, catchUp.Log().lines, joining.frames);
}

void OnlineSession::StopCatchingUp()
{
	joining.receiving = false;
	std::string().swap(joining.text);
	if (catchingUp)
	{
		catchingUp = false;
		inputStream.SetSource(&lockstep);
	}
}

void OnlineSession::PartnerCaughtUp()
{
	if (partnerTarget < 0)
	{
		return;
	}
	std::fprintf(stderr, "contest: the partner caught up in %.1f s\n",
		std::chrono::duration<double>(Clock::now() - startedAt).count());
	partnerTarget = -1;
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
	partnerProgress = static_cast<int>(frame);
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
	networkingSeconds = 0.0;
	sampledFrame = lockstep.Frame();
	sampledAt = startedAt;
	host->totalSentData = 0;
	host->totalReceivedData = 0;
}

void OnlineSession::Refused(const std::string& version, int protocol)
{
	std::fprintf(stderr, "contest: the host's program (protocol %d, version %s) met this one (protocol %d, version %s): they must be the same\n",
		protocol, LineWords::Quoted(version).c_str(), ProtocolVersion, ContestVersion);
	failedStatus = 2;
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
		for (const ReplayLog::Line& line : batch.lines)
		{
			packet += ReplayLog::Format(line);
		}
	}
	// Unsequenced: a lost packet is not sent again by ENet, the next one
	// carries its batches anyway, and none waits for another.
	Send(packet, ENET_PACKET_FLAG_UNSEQUENCED);
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
		ReplayLog::Line line;
		if (!ReplayLog::ReadOne(text, sceneHost.Count(), &line, &error))
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
	ReplayLog::Line digest;
	std::string error;
	if (ReplayLog::ReadOne(text, sceneHost.Count(), &digest, &error))
	{
		lockstep.ReceiveDigest(digest, &error);
	}
	if (!error.empty())
	{
		Drop("a bad packet (" + error + ")");
	}
}

void OnlineSession::Send(const std::string& packet, enet_uint32 flags)
{
	if (peer == nullptr)
	{
		return;
	}
	ENetPacket* sent = enet_packet_create(packet.data(), packet.size(), flags);
	// A peer already letting go takes nothing more.
	if (sent != nullptr && enet_peer_send(peer, 0, sent) != 0)
	{
		enet_packet_destroy(sent);
	}
}

void OnlineSession::Drop(const std::string& reason)
{
	std::fprintf(stderr, "contest: %s %s; the game goes on alone\n", reason.c_str(), Summary().c_str());
	welcomeDue = false;
	partnerTarget = -1;
	StopCatchingUp();
	if (peer != nullptr)
	{
		// What was queued for the partner still goes: its digests tell it
		// why.
		enet_peer_disconnect_later(peer, 0);
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
		lockstep.Frame(), lockstep.DigestsMatched(), lockstep.FramesWaited(), host->totalSentData / seconds,
		host->totalReceivedData / seconds, networkingMs / std::max(lockstep.Frame() - lockstep.FirstFrame(), 1));
	return text;
}

std::string OnlineSession::StatusLine() const
{
	if (catchingUp)
	{
		return "catching up with the host's game: frame " + std::to_string(catchUp.Frame()) + " of " +
			std::to_string(joining.frames);
	}
	if (partnerTarget >= 0)
	{
		return "the partner catches up: frame " + std::to_string(partnerProgress) + " of " +
			std::to_string(partnerTarget);
	}
	if (lockstep.IsRunning())
	{
		return "online with " + partnerName + ", input delay " + std::to_string(lockstep.Delay()) + " frames";
	}
	if (options.host)
	{
		return "waiting for a partner on UDP port " + std::to_string(options.port);
	}
	return failedStatus != 0 ? "not joined" : "joining " + options.address + ":" + std::to_string(options.port);
}

std::string OnlineSession::WaitLine() const
{
	return partnerTarget >= 0 ? "waiting for partner; " + StatusLine() : "waiting for partner";
}
