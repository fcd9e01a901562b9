// The app's side of online play: opening the session and what it tells
// between frames.
#include "framework/shell/App.h"

#include <cstdio>
#include <cstdlib>
#include <random>

#include "framework/session/TravelRules.h"

// Opens the network for an online game. The host plays the game from a
// seed of its own, with the settings' defaults and keyboard play on, which
// it starts at *row; a partner builds the same game from the same seed once
// they meet, and catches up. Lockstep then gives the inputs.
bool App::StartOnline(const CommandLine& commandLine, const char* program, int* row)
{
	std::string error;
	OnlineSession::Options options = commandLine.onlineOptions;
	for (int pad = 0; pad < 2; ++pad)
	{
		options.fighters[pad] = devices.FighterOn(pad);
	}
	options.program = ContestVersion;
	options.scenes = scenes.Count();
	options.width = View::DefaultWidth;
	options.height = View::DefaultHeight;
	online.GetLockstep().UseRules(TravelRules(&devices));
	if (!online.Open(options, stream, &error))
	{
		std::fprintf(stderr, "%s: %s\n", program, error.c_str());
		return false;
	}
	onlineRecording.WriteTo(commandLine.recordPath);
	const int localPad = TravelRules::PadOf(options.host ? Lockstep::Side::Host : Lockstep::Side::Partner);
	panel.ShowOnline(&online, (options.host ? "host, " : "partner, ") + options.fighters[localPad]);
	if (commandLine.onlineOptions.host)
	{
		const ReplayLog::Header header = online.BeginGame(std::random_device()());
		std::srand(header.seed);
		*row = 0;
		devices.SetKeyboardPlay(true);
		onlineRecording.GameStarts(header, {}, 0);
	}
	online.OnNotice([this](const OnlineSession::Notice& notice) { Noticed(notice); });
	online.GetLockstep().UseKeyMap([this](unsigned char key) { return devices.SecondPlayerKey(key); });
	stream.SetSource(&online.GetLockstep());
	return true;
}

// What the online session tells between frames.
void App::Noticed(const OnlineSession::Notice& notice)
{
	switch (notice.kind)
	{
	case OnlineSession::Notice::Kind::GameStarts:
		// A game recorded so far ends before the scene is built anew.
		onlineRecording.GameEnds(*scenes.Scene());
		std::srand(notice.seed);
		scenes.settings = Settings();
		scenes.settingsHz = Settings().hz;
		scenes.Switch(0);
		// Both players can use the keys or a pad from the start; Tab
		// switches keyboard play for both.
		devices.SetKeyboardPlay(true);
		break;
	case OnlineSession::Notice::Kind::GameShared:
		onlineRecording.GameStarts(notice.header, notice.before, notice.frames);
		if (!online.IsHost())
		{
			kept.Joined(online.GetOptions());
		}
		break;
	case OnlineSession::Notice::Kind::PartnerLeft:
		onlineRecording.GameEnds(*scenes.Scene());
		// The other player's fighter lets go of what it held, through the
		// input stream: the game kept for the next partner holds it too.
		devices.LetGoOf(TravelRules::PadOf(online.IsHost() ? Lockstep::Side::Partner : Lockstep::Side::Host));
		break;
	}
}
