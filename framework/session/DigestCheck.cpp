#include "framework/session/DigestCheck.h"

#include <cinttypes>
#include <utility>

namespace
{
// Room for a digest difference's words and both digests.
constexpr int DifferenceTextBytes = 96;
} // namespace

DigestCheck::DigestCheck(std::string replayName, bool rewrite)
	: name(std::move(replayName))
	, rewriting(rewrite)
{
}

void DigestCheck::Compare(int frame, const char* when, uint64_t recorded, uint64_t replayed)
{
	++checked;
	if (recorded != replayed)
	{
		char text[DifferenceTextBytes];
		std::snprintf(text, sizeof(text), "digest %s: recorded %016" PRIx64 ", replayed %016" PRIx64, when, recorded,
			replayed);
		Differ(frame, text);
	}
}

void DigestCheck::Differ(int frame, const std::string& what)
{
	if (differences++ == 0)
	{
		firstFrame = frame;
		first = what;
	}
}

void DigestCheck::Ended(int played)
{
	ended = true;
	frames = played;
}

void DigestCheck::Stopped(int frame)
{
	ended = false;
	frames = frame;
}

void DigestCheck::Rewritten(bool written)
{
	writeFailed = !written;
}

int DigestCheck::ExitStatus() const
{
	if (writeFailed || (!rewriting && differences > 0))
	{
		return 1;
	}
	return ended ? 0 : StoppedStatus;
}

void DigestCheck::Report(std::FILE* out) const
{
	const char* const replay = name.c_str();
	if (!ended)
	{
		ReportStopped(out);
	}
	else if (rewriting)
	{
		std::fprintf(out, "replay %s: %s with this program's digests (%d of the old ones differed)\n", replay,
			writeFailed ? "could not be written again" : "written again", differences);
	}
	else if (differences == 0)
	{
		std::fprintf(out, "replay %s: all %d digests matched over %d frames\n", replay, checked, frames);
	}
	else
	{
		std::fprintf(out, "replay %s: %d of %d digests differ; the first at frame %d (%s)\n", replay, differences,
			checked, firstFrame, first.c_str());
	}
}

void DigestCheck::ReportStopped(std::FILE* out) const
{
	if (rewriting)
	{
		std::fprintf(out, "replay %s: stopped at frame %d before its end; not written again\n", name.c_str(), frames);
		return;
	}
	std::fprintf(out, "replay %s: stopped at frame %d before its end; %d of %d digests so far differ\n", name.c_str(),
		frames, differences, checked);
}
