#include "framework/net/CallerDesk.h"

#include <algorithm>
#include <cstdio>

#include "framework/net/EnetLink.h"

std::vector<CallerDesk::Caller>::const_iterator CallerDesk::Find(const ENetPeer* caller) const
{
	return std::find_if(
		callers.begin(), callers.end(), [caller](const Caller& each) { return each.peer == caller; });
}

void CallerDesk::Forget(const ENetPeer* caller)
{
	const auto found = Find(caller);
	if (found != callers.end())
	{
		callers.erase(found);
	}
}

void CallerDesk::TurnAway(ENetPeer* caller, const std::string& reason, enet_uint32 data)
{
	std::fprintf(stderr, "contest: refused %s: %s\n", EnetLink::AddressOf(caller).c_str(), reason.c_str());
	EnetLink::LetGo(caller, data);
	Forget(caller);
}

void CallerDesk::TurnAwayAll(const std::string& reason, enet_uint32 data)
{
	while (!callers.empty())
	{
		TurnAway(callers.front().peer, reason, data);
	}
}

void CallerDesk::TurnAwayOverdue(Clock::duration timeout, const std::string& reason)
{
	const Clock::time_point now = Clock::now();
	for (std::size_t i = 0; i < callers.size();)
	{
		if (now - callers[i].since > timeout)
		{
			TurnAway(callers[i].peer, reason);
			continue;
		}
		++i;
	}
}
