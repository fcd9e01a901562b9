#include "framework/shell/PlayerSettings.h"

#include <algorithm>
#include <cstdlib>

#include "framework/core/SceneHost.h"
#include "framework/core/Settings.h"
#include "framework/shell/InputRouter.h"

namespace
{
const char* const SettingsFolder = "/contest";
const char* const SettingsName = "/settings.conf";
const char* const HzKey = "hz";
const char* const PanelKey = "panelOpen";
const char* const FullScreenKey = "fullScreen";
const char* const KeyboardPlayKey = "keyboardPlay";
const char* const JoinKey = "join";
const char* const ServerKey = "server";

// The folder the settings live in: XDG_CONFIG_HOME when it is an absolute
// path (the XDG rule: a relative one is ignored), else ~/.config; empty
// when no home is known.
std::string ConfigFolder()
{
	const char* config = std::getenv("XDG_CONFIG_HOME");
	if (config != nullptr && config[0] == '/')
	{
		return config;
	}
	const char* home = std::getenv("HOME");
	return home != nullptr && home[0] != '\0' ? std::string(home) + "/.config" : "";
}
} // namespace

void PlayerSettings::Load(const std::vector<SettingsFile::Key>& sceneItems, const char* program)
{
	items = sceneItems;
	std::vector<SettingsFile::Key> keys = items;
	keys.push_back({HzKey, MinHz, MaxHz, false});
	for (int i = 0; i < drawingFieldCount; ++i)
	{
		keys.push_back({drawingFields[i].key, static_cast<double>(drawingFields[i].min),
			static_cast<double>(drawingFields[i].max), false});
	}
	keys.push_back({PanelKey, 0, 1, false});
	keys.push_back({FullScreenKey, 0, 1, false});
	keys.push_back({JoinKey, 0, 0, true});
	keys.push_back({ServerKey, 0, 0, true});
	const std::string folder = ConfigFolder();
	used = !folder.empty();
	if (used)
	{
		file.Load(folder + SettingsFolder + SettingsName, std::move(keys), program);
	}
}

KeptJoin PlayerSettings::LastJoin() const
{
	KeptJoin join;
	file.Text(JoinKey, &join.invite);
	file.Text(ServerKey, &join.server);
	return join;
}

bool PlayerSettings::Switch(const char* key, bool otherwise) const
{
	double value = 0.0;
	return file.Number(key, &value) ? value != 0.0 : otherwise;
}

void PlayerSettings::FillStart(CommandLine* commandLine)
{
	session = commandLine->online		   ? Session::Online
		: !commandLine->replayPath.empty() ? Session::Replay
										   : Session::Alone;
	commandLine->panelOpen = commandLine->panelOpen || Switch(PanelKey, false);
	commandLine->window = commandLine->window || !Switch(FullScreenKey, true);
	if (session == Session::Alone)
	{
		commandLine->keyboardPlay = commandLine->keyboardPlay || Switch(KeyboardPlayKey, false);
	}
}

void PlayerSettings::Start(SceneHost& host, InputRouter& router, bool panelOpen, bool fullScreen)
{
	if (!used)
	{
		return;
	}
	double value = 0.0;
	for (int i = 0; i < drawingFieldCount; ++i)
	{
		if (file.Number(drawingFields[i].key, &value))
		{
			SetSettingField(&host.settings, drawingFields[i], static_cast<int>(value));
		}
	}
	if (session == Session::Alone && file.Number(HzKey, &value) && static_cast<float>(value) != host.settingsHz)
	{
		router.PanelChanged({PanelChange::Hz, "", static_cast<float>(value)});
	}
	builds = host.Builds();
	GiveItems(host, router);
	// What stands now is how this run starts: only what changes from here
	// on is the player's doing, even a key pressed before the first frame.
	KeepAll(host, panelOpen, fullScreen);
}

// The kept items the new scene shows and holds otherwise. Its own (how it
// shows or sounds) are set directly, as no recording holds them; the rest
// change play, so they go through the router for a recording to hold, and
// only into a game played alone.
void PlayerSettings::GiveItems(SceneHost& host, InputRouter& router) const
{
	std::vector<PanelItem> shown;
	host.Scene()->GetPanelItems(&shown);
	for (const PanelItem& item : shown)
	{
		double value = 0.0;
		const bool kept = std::any_of(items.begin(), items.end(), [&](const SettingsFile::Key& key) {
			return item.key == key.name;
		});
		// Keyboard play belongs to the devices, which hold it from scene to
		// scene; it is given at the start.
		if (!kept || item.key == KeyboardPlayKey || !file.Number(item.key, &value) ||
			static_cast<float>(value) == item.value)
		{
			continue;
		}
		if (item.local)
		{
			host.Scene()->SetPanelItem(item.key, static_cast<float>(value));
		}
		else if (session == Session::Alone)
		{
			router.PanelChanged({PanelChange::SceneItem, item.key, static_cast<float>(value)});
		}
	}
}

void PlayerSettings::FrameDone(SceneHost& host, InputRouter& router, bool panelOpen, bool fullScreen)
{
	if (!used || host.Scene() == nullptr)
	{
		return;
	}
	if (host.Builds() != builds)
	{
		builds = host.Builds();
		GiveItems(host, router);
	}
	KeepAll(host, panelOpen, fullScreen);
	file.Save();
}

void PlayerSettings::KeepAll(const SceneHost& host, bool panelOpen, bool fullScreen)
{
	Keep(PanelKey, panelOpen ? 1 : 0);
	Keep(FullScreenKey, fullScreen ? 1 : 0);
	if (session != Session::Replay)
	{
		KeepItems(host);
		for (int i = 0; i < drawingFieldCount; ++i)
		{
			Keep(drawingFields[i].key, host.settings.*drawingFields[i].field);
		}
	}
	if (session == Session::Alone)
	{
		Keep(HzKey, host.settingsHz);
	}
}

void PlayerSettings::KeepItems(const SceneHost& host)
{
	std::vector<PanelItem> shown;
	host.Scene()->GetPanelItems(&shown);
	for (const SettingsFile::Key& key : items)
	{
		const auto item = std::find_if(shown.begin(), shown.end(), [&](const PanelItem& each) {
			return each.key == key.name;
		});
		if (item != shown.end() && (item->local || session == Session::Alone))
		{
			Keep(key.name, item->value);
		}
	}
}

void PlayerSettings::Keep(const std::string& key, double value)
{
	const auto found = seen.emplace(key, Seen{value, false}).first;
	Seen& was = found->second;
	was.changed = was.changed || value != was.start;
	if (was.changed)
	{
		file.SetNumber(key, value);
	}
}

void PlayerSettings::Joined(const OnlineSession::Options& options)
{
	if (!used)
	{
		return;
	}
	const std::string secret = options.secret.Text();
	if (options.code.empty())
	{
		file.SetText(JoinKey, options.address + ":" + std::to_string(options.port) + "/" + secret);
	}
	else
	{
		file.SetText(JoinKey, options.code + "-" + secret);
		file.SetText(ServerKey, options.server);
	}
	file.Save();
}
