#pragma once

#include <enet/enet.h>

#include <chrono>
#include <string>
#include <vector>

// The callers a host has asked who they are and waits to hear from: the
// first to answer well plays, the rest are turned away, each with a line
// on stderr.
class CallerDesk
{
public:
	using Clock = std::chrono::steady_clock;

	// A caller asked who it is with challenge.
	void Add(ENetPeer* caller, const std::string& challenge) { callers.push_back({caller, Clock::now(), challenge}); }
	bool Has(const ENetPeer* caller) const { return Find(caller) != callers.end(); }
	// When caller called; the caller must be here.
	Clock::time_point Since(const ENetPeer* caller) const { return Find(caller)->since; }
	const std::string& ChallengeOf(const ENetPeer* caller) const { return Find(caller)->challenge; }
	// The caller is no longer waited for: it went, or it plays.
	void Forget(const ENetPeer* caller);
	// The caller is let go with data for its disconnect, and why on stderr.
	void TurnAway(ENetPeer* caller, const std::string& reason, enet_uint32 data = 0);
	void TurnAwayAll(const std::string& reason, enet_uint32 data);
	// Every caller that has not spoken within timeout.
	void TurnAwayOverdue(Clock::duration timeout, const std::string& reason);

private:
	struct Caller
	{
		ENetPeer* peer;
		Clock::time_point since;
		std::string challenge;
	};

	std::vector<Caller>::const_iterator Find(const ENetPeer* caller) const;

	std::vector<Caller> callers;
};
