#pragma once

#include <sstream>
#include <string>

// Diagnostic text collected in memory and appended to "log.txt" on Commit.
// The file is truncated once, when the log is first used in a run.
class LogFile
{
public:
	explicit LogFile(const std::string& fileName);

	// Appends the buffered text to the file, bare, and empties the buffer
	// whether or not the file could be written.
	void Commit();

	std::stringstream buffer;

private:
	std::string fileName;
};

LogFile& GetLog();
