#pragma once

#include <string>
#include <vector>

#include "framework/input/InputLine.h"
#include "framework/session/ReplayLog.h"

// A recording written again with the digests this program takes while it
// plays the recording's inputs: the inputs stay, the digests are replaced.
class ReplayRewrite
{
public:
	// The recording's header, to be written with program's name.
	ReplayRewrite(const ReplayLog::Header& header, const std::string& program);

	// A digest this program took, in the order they are taken.
	void Note(const InputLine& digest) { digests.push_back(digest); }
	// Writes recorded's inputs with the noted digests in place of the file
	// at path: a symbolic link keeps pointing at it, and it keeps the old
	// file's permissions. The old file stays whole until the new one is.
	// False when it could not be written.
	bool WriteOver(const std::vector<InputLine>& recorded, const std::string& path) const;

private:
	ReplayLog::Header header;
	std::vector<InputLine> digests;
};
