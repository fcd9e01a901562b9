#include "game/PadMappings.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
constexpr const char* MappingsFileName = "gamecontrollerdb.txt";

// A mapping names its platform when it is meant for one; others are left
// to the machines they were written for.
bool ForThisPlatform(const std::string& mapping)
{
	const std::string key = "platform:";
	const std::size_t at = mapping.find(key);
	if (at == std::string::npos)
	{
		return true;
	}
	const std::size_t start = at + key.size();
	return mapping.compare(start, mapping.find(',', start) - start, SDL_GetPlatform()) == 0;
}

// Adds one mapping per line (the community's format: '#' starts a comment);
// what SDL rejects is told in one line on stderr.
void AddMappings(const std::string& source, std::istream& lines)
{
	int rejected = 0;
	int firstLine = 0;
	std::string firstError;
	std::string line;
	for (int number = 1; std::getline(lines, line); ++number)
	{
		if (!line.empty() && line.back() == '\r')
		{
			line.pop_back();
		}
		if (line.empty() || line[0] == '#' || !ForThisPlatform(line))
		{
			continue;
		}
		if (SDL_GameControllerAddMapping(line.c_str()) < 0 && rejected++ == 0)
		{
			firstLine = number;
			firstError = SDL_GetError();
		}
	}
	if (rejected > 0)
	{
		std::fprintf(stderr, "contest: %s: SDL rejected %d pad mapping%s (line %d: %s); such pads keep their raw layout\n",
			source.c_str(), rejected, rejected == 1 ? "" : "s", firstLine, firstError.c_str());
	}
}
} // namespace

void PadMappings::AddAll()
{
	if (const char* config = std::getenv(SDL_HINT_GAMECONTROLLERCONFIG))
	{
		std::istringstream lines(config);
		AddMappings(SDL_HINT_GAMECONTROLLERCONFIG, lines);
	}
	char* base = SDL_GetBasePath();
	if (base == nullptr)
	{
		return;
	}
	const std::string path = std::string(base) + MappingsFileName;
	SDL_free(base);
	std::ifstream file(path);
	if (file)
	{
		AddMappings(path, file);
	}
}
