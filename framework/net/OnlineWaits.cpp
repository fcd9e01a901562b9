// The checks of every tick of an online session: the partner's silence
// and the game's end, and every wait that has an end.
#include <cstdio>

#include "framework/net/OnlineSession.h"

namespace
{
using Clock = std::chrono::steady_clock;

// How long a player who left waits for the partner to take its last
// packets before the program goes anyway.
constexpr std::chrono::seconds LeaveLinger{2};
} // namespace

void OnlineSession::CheckPartner()
{
	const bool leaving = phase == Phase::HostLeaving || phase == Phase::PartnerLeaving;
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
	if (peer != nullptr && lockstep.IsRunning() && !leaving && Clock::now() - lastHeard > PartnerTimeout)
	{
		Drop("no word from the partner for 3 s");
	}
	// Gone once the last frame ran and the partner let go, or after a while
	// whatever happened.
	if (leaving && ((lockstep.IsOver() && peer == nullptr) || Clock::now() - leftAt > LeaveLinger))
	{
		std::fprintf(stderr, "contest: left the game %s\n", Summary().c_str());
		ChangePhase(options.host ? Phase::HostLeft : Phase::PartnerLeft);
	}
}

void OnlineSession::CheckWaits()
{
	const Clock::time_point now = Clock::now();
	callers.TurnAwayOverdue(HandshakeTimeout, "no hello within 5 s");
	switch (phase)
	{
	case Phase::PartnerCalling:
		if (rendezvous.HasMet() && !rendezvous.UsesRelay() && now - metAt > Rendezvous::FirstPathBudget)
		{
			CallThroughRelay();
		}
		else if (rendezvous.IsOpen() && now - joinStarted > CodeJoinBudget)
		{
			JoinFailed("no answer within " + std::to_string(CodeJoinBudget.count()) + " s: " +
				(rendezvous.HasMet() ? "the host was called by a " + std::string(PathName()) +
							" path and through the relay, and neither answered"
									 : "the coordinator at " + options.server + " never answered"));
		}
		else if (!rendezvous.IsOpen() && now - joinStarted > JoinBudget)
		{
			JoinFailed("no answer within " + std::to_string(JoinBudget.count()) +
				" s: nobody hosts a game there, or its host has no room");
		}
		break;
	case Phase::PartnerGreeted:
	case Phase::PartnerReceiving:
		if (now - lastHeard > HandshakeTimeout)
		{
			JoinFailed(phase == Phase::PartnerGreeted ? "the host said nothing for 5 s after its greeting"
													  : "the host's game stopped coming for 5 s");
		}
		break;
	case Phase::HostAwaitingCatchUp:
		if (now - progressAt > CatchUpStall)
		{
			Drop("the partner's catch-up got no further than frame " + std::to_string(partnerProgress) + " of " +
				std::to_string(partnerTarget) + " for 5 s");
		}
		else if (now - figures.StartedAt() > CatchUpLimit)
		{
			Drop("the partner did not catch up within " + std::to_string(CatchUpLimit.count()) + " s");
		}
		break;
	case Phase::HostPlaying:
	case Phase::PartnerPlaying:
		if (lockstep.MissingDigest() >= 0)
		{
			Drop("the partner sent no digest of frame " + std::to_string(lockstep.MissingDigest()));
		}
		break;
	default:
		break;
	}
}
