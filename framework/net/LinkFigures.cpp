#include "framework/net/LinkFigures.h"

#include <time.h>

#include <algorithm>
#include <cstdio>

#include "framework/net/EnetLink.h"
#include "framework/session/Lockstep.h"

double LinkFigures::ThreadSeconds()
{
	timespec now{};
	clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
	return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void LinkFigures::StartCounting(int frame)
{
	startedAt = Clock::now();
	networkingSeconds = 0.0;
	countedFrom = frame;
	sampledFrame = frame;
	sampledAt = startedAt;
}

void LinkFigures::Sample(int frame, float roundTripMs)
{
	const int frames = frame - sampledFrame;
	if (frames <= 0)
	{
		return;
	}
	const Clock::time_point now = Clock::now();
	const float each = std::chrono::duration<float, std::milli>(now - sampledAt).count() / static_cast<float>(frames);
	for (int i = 0; i < frames && i < HistoryFrames; ++i)
	{
		roundTrips[historyNext] = roundTripMs;
		frameTimes[historyNext] = each;
		historyNext = (historyNext + 1) % HistoryFrames;
	}
	sampledFrame = frame;
	sampledAt = now;
}

std::string LinkFigures::Summary(const Lockstep& lockstep, const EnetLink& link, const char* path) const
{
	const double seconds = std::max(std::chrono::duration<double>(Clock::now() - startedAt).count(), 1.0);
	const double networkingMs = networkingSeconds * 1000.0;
	char text[256];
	std::snprintf(text, sizeof(text),
		"after frame %d (%d digests matched, %d frames waited, %.0f bytes/s out, %.0f in, %.3f ms of networking a "
		"frame, %s path)",
		lockstep.Frame(), lockstep.DigestsMatched(), lockstep.FramesWaited(), link.SentBytes() / seconds,
		link.ReceivedBytes() / seconds, networkingMs / std::max(lockstep.Frame() - countedFrom, 1), path);
	return text;
}
