#include "framework/core/DataFolder.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef CONTEST_INSTALLED_DATA
#define CONTEST_INSTALLED_DATA ""
#endif

namespace
{
const char* const DataEntries[] = {"Textures", "Sounds", "music.mp3", "winmusic.mp3"};

// A handful of stat calls: the lookup costs nothing a player could notice.
bool HoldsData(const std::string& folder)
{
	const std::string base = folder.empty() ? "" : folder + "/";
	for (const char* entry : DataEntries)
	{
		struct stat info;
		if (stat((base + entry).c_str(), &info) == 0)
		{
			return true;
		}
	}
	return false;
}

std::string ProgramFolder()
{
	std::error_code error;
	const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
	return error ? std::string() : program.parent_path().string();
}
} // namespace

DataFolder::DataFolder(const Places& places)
{
	if (!places.environment.empty() && HoldsData(places.environment))
	{
		prefix = places.environment + "/";
		description = places.environment;
		found = true;
		return;
	}
	if (HoldsData(""))
	{
		description = ".";
		found = true;
		return;
	}
	for (const std::string* folder : {&places.program, &places.installed})
	{
		if (!folder->empty() && HoldsData(*folder))
		{
			prefix = *folder + "/";
			description = *folder;
			found = true;
			return;
		}
	}
	description = "CONTEST_DATA (" + (places.environment.empty() ? std::string("not set") : places.environment) +
		"), the working directory, " + (places.program.empty() ? std::string("the program's folder") : places.program);
	if (!places.installed.empty())
	{
		description += ", " + places.installed;
	}
}

const DataFolder& DataFolder::Program()
{
	static const DataFolder folder = [] {
		const char* environment = std::getenv("CONTEST_DATA");
		const Places places{environment != nullptr ? environment : "", ProgramFolder(), CONTEST_INSTALLED_DATA};
		DataFolder found(places);
		if (!found.Found())
		{
			std::fprintf(stderr,
				"contest: no game data (Textures/, Sounds/, music.mp3) in %s; the game runs without pictures, "
				"sounds and music\n",
				found.Description().c_str());
		}
		else if (!places.environment.empty() && found.Description() != places.environment)
		{
			std::fprintf(stderr, "contest: CONTEST_DATA (%s) holds no game data; reading it from %s\n",
				places.environment.c_str(), found.Description().c_str());
		}
		return found;
	}();
	return folder;
}
