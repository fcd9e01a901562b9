#pragma once

#include <string>

// Where the game's data (Textures/, Sounds/, music.mp3, winmusic.mp3) is
// read from, so that the program runs from anywhere: the folder CONTEST_DATA
// names, else the working directory when it holds the data (the build
// folder, and paths stay relative as they always were), else the folder of
// the program's file (a build tree), else the installed data folder. A
// folder holds the data when it holds any of those entries: one with some
// files broken or missing is still the data, and each file that does not
// load is named as usual.
class DataFolder
{
public:
	// The places to look in besides the working directory, each empty when
	// there is none.
	struct Places
	{
		std::string environment;
		std::string program;
		std::string installed;
	};

	// Looks in the places, in order.
	explicit DataFolder(const Places& places);

	// The program's own, found the first time it is asked for, from
	// CONTEST_DATA, /proc/self/exe and the install prefix. When nothing
	// holds the data, one line on standard error names the places looked
	// in, and paths stay relative to the working directory.
	static const DataFolder& Program();

	// The path a data file is read from: as given when the working
	// directory holds the data or nothing does, else inside the folder
	// found.
	std::string PathOf(const std::string& relative) const { return prefix + relative; }
	bool Found() const { return found; }
	// The folder found ("." for the working directory), or every place
	// looked in when none was.
	const std::string& Description() const { return description; }

private:
	std::string prefix;
	bool found = false;
	std::string description;
};
