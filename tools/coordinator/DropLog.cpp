#include "tools/coordinator/DropLog.h"

#include <cstdio>

void DropLog::Dropped(const std::string& message, const std::string& from, const std::string& reason)
{
	Tick(Clock::now());
	if (linesThisSecond >= MaxLinesPerSecond)
	{
		++heldBack;
		return;
	}
	++linesThisSecond;
	std::fprintf(stderr, "contest-server: dropped \"%s\" from %s: %s\n", Shown(message).c_str(), from.c_str(),
		reason.c_str());
}

void DropLog::Tick(Clock::time_point now)
{
	if (now - secondStart < std::chrono::seconds(1))
	{
		return;
	}
	if (heldBack > 0)
	{
		std::fprintf(stderr, "contest-server: %ld more dropped messages not shown\n", heldBack);
	}
	secondStart = now;
	linesThisSecond = 0;
	heldBack = 0;
}

std::string DropLog::Shown(const std::string& message)
{
	std::string shown;
	for (std::size_t i = 0; i < message.size() && i < MaxShownBytes; ++i)
	{
		const unsigned char c = static_cast<unsigned char>(message[i]);
		shown += c >= 0x20 && c < 0x7f && c != '"' ? static_cast<char>(c) : '?';
	}
	if (message.size() > MaxShownBytes)
	{
		shown += "...";
	}
	return shown;
}
