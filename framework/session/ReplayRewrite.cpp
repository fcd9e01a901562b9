#include "framework/session/ReplayRewrite.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

namespace
{
using Line = InputLine;

// The recording's inputs in their order, with digests taken by this
// program, each after the inputs of its frame: the frames never go back.
std::vector<Line> MergeDigests(const std::vector<Line>& recorded, const std::vector<Line>& digests)
{
	std::vector<Line> merged;
	size_t next = 0;
	for (const Line& line : recorded)
	{
		if (ReplayLog::IsCheck(line.kind))
		{
			continue;
		}
		while (next < digests.size() && digests[next].frame < line.frame)
		{
			merged.push_back(digests[next++]);
		}
		merged.push_back(line);
	}
	merged.insert(merged.end(), digests.begin() + static_cast<long>(next), digests.end());
	return merged;
}
} // namespace

ReplayRewrite::ReplayRewrite(const ReplayLog::Header& recorded, const std::string& program)
	: header(recorded)
{
	header.program = program;
}

bool ReplayRewrite::WriteOver(const std::vector<Line>& recorded, const std::string& path) const
{
	ReplayLog rewritten;
	rewritten.header = header;
	rewritten.lines = MergeDigests(recorded, digests);
	char* const resolved = realpath(path.c_str(), nullptr);
	const std::string target = resolved != nullptr ? resolved : path;
	std::free(resolved);
	struct stat old;
	const bool hadMode = stat(target.c_str(), &old) == 0;
	const std::string temporary = target + ".new";
	if (!rewritten.Write(temporary) || (hadMode && chmod(temporary.c_str(), old.st_mode & 07777) != 0) ||
		std::rename(temporary.c_str(), target.c_str()) != 0)
	{
		std::remove(temporary.c_str());
		return false;
	}
	return true;
}
