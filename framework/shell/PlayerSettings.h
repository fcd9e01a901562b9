#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/net/OnlineSession.h"
#include "framework/shell/CommandLine.h"
#include "framework/shell/SettingsFile.h"

class InputRouter;
class SceneHost;

// What a player set that lasts from one start to the next, in
// "$XDG_CONFIG_HOME/contest/settings.conf" (~/.config unless set): the
// scene items the program names (the volumes, the rumble, the pads' swap,
// keyboard play), the step rate and the drawing switches, the panel open,
// full screen or a window, the last game joined. The command line wins over
// the file. A recording carries what changes play, so a replay or an online
// game takes from the file, and keeps in it, only what shows or sounds.
class PlayerSettings
{
public:
	// Reads the file (none read when it is empty, or no home is known);
	// items are the scene items kept, by panel key.
	void Load(const std::vector<SettingsFile::Key>& items, const char* program);
	const std::string& Path() const { return file.Path(); }

	// The last game joined and where, for --rejoin.
	KeptJoin LastJoin() const;
	// What the command line leaves unsaid at the start: the panel, the
	// window and, when playing alone, keyboard play. It tells whether the
	// session is played alone, online or from a recording.
	void FillStart(CommandLine* commandLine);

	// After the first scene is built: the step rate (through the router, so
	// a recording holds it), the drawing switches and the scene's items;
	// the panel and the window are as the run starts them.
	void Start(SceneHost& host, InputRouter& router, bool panelOpen, bool fullScreen);
	// After each frame: a scene built since the last frame gets the items
	// kept for it; then what stands now is kept, and the file written when
	// that changed it.
	void FrameDone(SceneHost& host, InputRouter& router, bool panelOpen, bool fullScreen);
	// A joined game began: it is the one --rejoin joins again.
	void Joined(const OnlineSession::Options& options);

private:
	// Who the session's play is up to: a game played alone takes all that
	// is kept; online, the game is both players' and only this machine's
	// own items count; a replay's play is the recording's.
	enum class Session
	{
		Alone,
		Online,
		Replay,
	};
	// How a kept value stood when first seen this run, and whether it has
	// changed since: only a value the player changed is written, so an
	// option given for one run stays that run's.
	struct Seen
	{
		double start;
		bool changed;
	};

	void GiveItems(SceneHost& host, InputRouter& router) const;
	void KeepAll(const SceneHost& host, bool panelOpen, bool fullScreen);
	void KeepItems(const SceneHost& host);
	void Keep(const std::string& key, double value);
	bool Switch(const char* key, bool otherwise) const;

	SettingsFile file;
	std::vector<SettingsFile::Key> items;
	std::map<std::string, Seen> seen;
	Session session = Session::Alone;
	bool used = false;
	int builds = 0;
};
