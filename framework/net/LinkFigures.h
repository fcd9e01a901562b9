#pragma once

#include <chrono>
#include <string>
#include <vector>

class EnetLink;
class Lockstep;

// How an online game's link does, for the panel and the line that ends the
// game: the round trip and the frame time of the last ten seconds, a sample
// a frame, and the processor time spent servicing the network.
class LinkFigures
{
public:
	using Clock = std::chrono::steady_clock;
	static constexpr int HistoryFrames = 600;

	// The processor time this thread has used: what the networking itself
	// costs, whatever else the machine runs meanwhile.
	static double ThreadSeconds();

	// The counts start again at frame, now.
	void StartCounting(int frame);
	Clock::time_point StartedAt() const { return startedAt; }
	void AddNetworking(double seconds) { networkingSeconds += seconds; }
	// One sample for every frame run since the last, up to frame.
	void Sample(int frame, float roundTripMs);
	// "after frame F (D digests matched, ... bytes/s out, ...)".
	std::string Summary(const Lockstep& lockstep, const EnetLink& link, const char* path) const;

	// Rings whose oldest sample is at HistoryStart().
	const std::vector<float>& RoundTrips() const { return roundTrips; }
	const std::vector<float>& FrameTimes() const { return frameTimes; }
	int HistoryStart() const { return historyNext; }

private:
	Clock::time_point startedAt;
	double networkingSeconds = 0.0;
	int countedFrom = 0;
	std::vector<float> roundTrips = std::vector<float>(HistoryFrames, 0.0f);
	std::vector<float> frameTimes = std::vector<float>(HistoryFrames, 0.0f);
	int historyNext = 0;
	int sampledFrame = 0;
	Clock::time_point sampledAt;
};
