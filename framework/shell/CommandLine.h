#pragma once

#include <string>

#include "framework/net/OnlineSession.h"

class SceneHost;

// The last game joined, which --rejoin joins again: the invite as --join
// takes it, and the coordinator when the invite is a code.
struct KeptJoin
{
	std::string invite;
	std::string server;
};

// What the command line asks for.
struct CommandLine
{
	enum Action
	{
		Run,
		ListScenes,
		Help,
		Error,
	};
	Action action = Run;
	int sceneIndex = 0;
	bool sceneGiven = false;
	// Start the game with keyboard play on.
	bool keyboardPlay = false;
	// Start with the control panel open.
	bool panelOpen = false;
	// Start in a window rather than full screen.
	bool window = false;
	// Write the session to this file.
	std::string recordPath;
	// Play the session recorded in this file, as fast as frames can be
	// drawn, or to write its digests again.
	std::string replayPath;
	bool fast = false;
	bool rewrite = false;
	// Play it with no window, the frames undrawn: as fast as the world
	// steps, with no X server needed.
	bool check = false;
	// Play online: host a game (--host) or join one (--join).
	bool online = false;
	bool joinGiven = false;
	OnlineSession::Options onlineOptions;
	std::string error;
};

// Reads and removes the shell's own options from argv, leaving the
// windowing library's own options (and their values) in place; any other
// argument is an error. Scenes are named by the shell's registry: by
// number, by name in any case, or by the start of only one name.
// --rejoin joins the game kept as joined last.
CommandLine ParseCommandLine(int* argc, char** argv, const SceneHost& scenes, const KeptJoin& lastJoin = {});

// The value of option `name` given as "--name VALUE" or "--name=VALUE" at
// argv[*i]; null when argv[*i] is another option. Sets *missing when the
// value is not there.
const char* OptionValue(const char* name, int argc, char** argv, int* i, bool* missing);
