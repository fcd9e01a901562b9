// What an online session says on the screen.
#include "framework/net/OnlineSession.h"

std::string OnlineSession::Frames(int count)
{
	return std::to_string(count) + (count == 1 ? " frame" : " frames");
}

std::string OnlineSession::StatusLine() const
{
	const std::string you = "you play " + options.fighters[options.host ? 0 : 1];
	switch (phase)
	{
	case Phase::PartnerCalling:
	case Phase::PartnerGreeted:
		return "joining " + JoinTarget();
	case Phase::PartnerReceiving:
		return "receiving the host's game";
	case Phase::PartnerCatchingUp:
		return "catching up with the host's game: frame " + std::to_string(catchUp.Frame()) + " of " +
			std::to_string(joining.Frames());
	case Phase::HostListening:
	case Phase::HostWelcoming:
		return "waiting for a partner on UDP port " + std::to_string(options.port) +
			", " + Invite() + "; " + you +
			(endedWhy.empty() ? "" : " (the last partner went: " + endedWhy + ")");
	case Phase::HostAwaitingCatchUp:
		return "the partner catches up: frame " + std::to_string(partnerProgress) + " of " +
			std::to_string(partnerTarget);
	case Phase::HostPlaying:
	case Phase::HostLeaving:
	case Phase::HostLeft:
	case Phase::PartnerPlaying:
	case Phase::PartnerLeaving:
	case Phase::PartnerLeft:
		return "online with " + partnerName + " (" + PathName() + "), input delay " + Frames(lockstep.Delay()) + "; " +
			you;
	case Phase::PartnerRefused:
		return "not joined";
	case Phase::PartnerAlone:
		break;
	}
	return "alone: the online game ended (" + endedWhy + ")";
}

std::string OnlineSession::WaitLine() const
{
	return phase == Phase::HostAwaitingCatchUp ? StatusLine() : "waiting for partner";
}

std::string OnlineSession::PartedReason() const
{
	return "the two games differ from frame " + std::to_string(lockstep.DifferingFrame()) + " on";
}

std::string OnlineSession::Summary() const
{
	return figures.Summary(lockstep, link, PathName());
}
