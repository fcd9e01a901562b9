#include "game/assets/LoadFailure.h"

#include <cstdio>
#include <set>

void ReportLoadFailure(const std::string& path, const char* reason)
{
	static std::set<std::string> reported;
	if (reported.insert(path).second)
	{
		std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), reason);
	}
}
