// What travels in lockstep: the batches of inputs and their
// acknowledgements, digests and goodbyes.
#include <algorithm>

#include "framework/net/OnlineSession.h"

namespace
{
using Clock = std::chrono::steady_clock;

// How often a side that has nothing new says its unacknowledged batches
// and its acknowledgement again: every other frame.
constexpr std::chrono::milliseconds RepeatInterval{33};

} // namespace

void OnlineSession::SendFrame()
{
	if (!link.IsOpen())
	{
		return;
	}
	const double began = LinkFigures::ThreadSeconds();
	SendOutgoing();
	link.Flush();
	if (InLockstep())
	{
		figures.AddNetworking(LinkFigures::ThreadSeconds() - began);
	}
}

void OnlineSession::SendOutgoing()
{
	SendInputs();
	for (const InputLine& digest : lockstep.TakeDigests())
	{
		Send(WireMessage::DigestOf(digest));
	}
}

void OnlineSession::Goodbye(int last)
{
	std::string error;
	if (!lockstep.PartnerFinishes(last, &error))
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
	// Unsequenced: a lost packet is not sent again by ENet, the next one
	// carries its batches anyway, and none waits for another.
	Send(WireMessage::Inputs(lockstep.LastReceived(), first, batches), false);
	lastSentFrame = std::max(lastSentFrame, newest);
	lastSentAt = Clock::now();
	acknowledgementDue = false;
}

void OnlineSession::Inputs(const WireMessage& message)
{
	const long first = message.numbers[1];
	const long count = message.numbers[2];
	std::vector<Lockstep::Batch> batches(static_cast<std::size_t>(count));
	for (std::size_t i = 0; i < batches.size(); ++i)
	{
		batches[i].frame = static_cast<int>(first + static_cast<long>(i));
	}
	for (const InputLine& line : message.lines)
	{
		batches[static_cast<std::size_t>(line.frame - first)].lines.push_back(line);
	}
	std::string error;
	lockstep.Acknowledge(static_cast<int>(message.numbers[0]), &error);
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

void OnlineSession::Digest(const WireMessage& message)
{
	std::string error;
	if (!lockstep.ReceiveDigest(message.lines.front(), &error))
	{
		Drop("a bad packet (" + error + ")");
	}
}

void OnlineSession::Send(const WireMessage& message, bool reliable)
{
	if (peer != nullptr)
	{
		EnetLink::Send(peer, message.Format(), reliable);
	}
}
