#include "game/assets/LoadFailure.h"

#include <cstdio>
#include <set>

#include "framework/core/DataFolder.h"

void ReportLoadFailure(const std::string& path, const char* reason)
{
	// With no data folder anywhere every file fails, and the one line that
	// said so, with the places looked in, stands for them all.
	if (!DataFolder::Program().Found())
	{
		return;
	}
	static std::set<std::string> reported;
	if (reported.insert(path).second)
	{
		std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), reason);
	}
}
