#include "framework/net/HandedOverGame.h"

#include <sstream>
#include <vector>

void HandedOverGame::Announce(int given, int played, std::size_t size)
{
	delay = given;
	frames = played;
	bytes = size;
	Clear();
}

bool HandedOverGame::Add(const std::string& piece, std::string* error)
{
	text += piece;
	if (text.size() > bytes)
	{
		*error = "more of the host's game than the " + std::to_string(bytes) + " bytes announced";
		return false;
	}
	return true;
}

bool HandedOverGame::Take(int rowCount, const TravelRules& rules, ReplayLog* played, std::string* error)
{
	std::istringstream game(text);
	const bool read = played->Parse(game, "the host's game", rowCount, error);
	Clear();
	if (read)
	{
		*error = Fault(*played, rules);
	}
	return error->empty();
}

std::string HandedOverGame::Fault(const ReplayLog& played, const TravelRules& rules) const
{
	if (played.IsComplete())
	{
		return "the host's game has ended";
	}
	if (!played.lines.empty() && played.lines.back().frame > frames)
	{
		return "the host's game goes beyond its frame " + std::to_string(frames);
	}
	if (played.header.scene != 0)
	{
		return "the host's game is not the game";
	}
	// Frame by frame, only what a game played online may hold.
	std::string why;
	for (std::size_t first = 0; first < played.lines.size();)
	{
		std::size_t end = first;
		while (end < played.lines.size() && played.lines[end].frame == played.lines[first].frame)
		{
			++end;
		}
		const std::vector<InputLine> frame(played.lines.begin() + static_cast<std::ptrdiff_t>(first),
			played.lines.begin() + static_cast<std::ptrdiff_t>(end));
		if (!rules.CheckHandedOver(frame, &why))
		{
			return "the host's game holds, in frame " + std::to_string(played.lines[first].frame) + ", " + why;
		}
		first = end;
	}
	return "";
}
