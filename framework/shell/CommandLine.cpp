#include "framework/shell/CommandLine.h"

#include <algorithm>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/shell/Shell.h"

namespace
{
bool SameLetters(char a, char b)
{
	return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Whether name starts with prefix, or equals it when whole is set, without
// regard to case.
bool NameMatches(const char* name, const char* prefix, bool whole)
{
	for (; *prefix != '\0'; ++name, ++prefix)
	{
		if (*name == '\0' || !SameLetters(*name, *prefix))
		{
			return false;
		}
	}
	return !whole || *name == '\0';
}

// The rows a scene name given on the command line stands for: the one whose
// name it is, or else every one whose name begins with it, without regard
// to case.
std::vector<int> ScenesNamed(const char* value)
{
	std::vector<int> prefixed;
	for (int i = 0; i < sceneHost.Count() && *value != '\0'; ++i)
	{
		if (NameMatches(sceneHost.Registry()[i].name, value, true))
		{
			return {i};
		}
		if (NameMatches(sceneHost.Registry()[i].name, value, false))
		{
			prefixed.push_back(i);
		}
	}
	return prefixed;
}

// A registry row by number or by name (see ScenesNamed); sets *error when
// none or more than one fits.
bool ParseSceneValue(const char* value, int* index, std::string* error)
{
	char* end = nullptr;
	const long number = std::strtol(value, &end, 10);
	if (*value != '\0' && *end == '\0' && number >= 0 && number < sceneHost.Count())
	{
		*index = static_cast<int>(number);
		return true;
	}
	const std::vector<int> rows = ScenesNamed(value);
	if (rows.size() == 1)
	{
		*index = rows.front();
		return true;
	}
	if (rows.empty())
	{
		*error = std::string("unknown scene \"") + value + "\": give a number from 0 to " +
			std::to_string(sceneHost.Count() - 1) + " or a name from --list-scenes";
		return false;
	}
	*error = std::string("scene \"") + value + "\" is ambiguous: it could be";
	for (size_t i = 0; i < rows.size(); ++i)
	{
		*error += std::string(i == 0 ? " " : ", ") + "\"" + sceneHost.Registry()[rows[i]].name + "\"";
	}
	return false;
}

// The windowing library's own options and whether each takes a value; they
// are left in argv for it.
struct WindowOption
{
	const char* name;
	bool takesValue;
};
constexpr WindowOption WindowOptions[] = {
	{"-display", true},
	{"-geometry", true},
	{"-direct", false},
	{"-indirect", false},
	{"-iconic", false},
	{"-gldebug", false},
	{"-sync", false},
};

const WindowOption* FindWindowOption(const char* arg)
{
	for (const WindowOption& option : WindowOptions)
	{
		if (std::strcmp(arg, option.name) == 0)
		{
			return &option;
		}
	}
	return nullptr;
}

// The value of option `name` given as "--name VALUE" or "--name=VALUE" at
// argv[*i]; null when argv[*i] is another option. Sets *missing when the
// value is not there.
const char* OptionValue(const char* name, int argc, char** argv, int* i, bool* missing)
{
	const char* arg = argv[*i];
	const size_t length = std::strlen(name);
	if (std::strncmp(arg, name, length) != 0 || (arg[length] != '\0' && arg[length] != '='))
	{
		return nullptr;
	}
	if (arg[length] == '=')
	{
		return arg + length + 1;
	}
	if (*i + 1 < argc)
	{
		return argv[++*i];
	}
	*missing = true;
	return "";
}

// ENet plays over IPv4 only: two colons, or brackets, are an IPv6 address.
bool IsIpv6(const std::string& value)
{
	return value.find('[') != std::string::npos || std::count(value.begin(), value.end(), ':') > 1;
}

// "PORT", "ADDR:PORT" or "ADDR" (where a port may be left out) into
// options; false when the port is no number from 1 to 65535.
bool ParseEndpoint(const std::string& value, bool portAlone, OnlineSession::Options* options)
{
	const std::size_t colon = value.rfind(':');
	const bool hasAddress = colon != std::string::npos || !portAlone;
	const std::string port = colon != std::string::npos ? value.substr(colon + 1) : portAlone ? value : "";
	options->address = hasAddress ? value.substr(0, colon) : "";
	if (port.empty())
	{
		return !options->address.empty();
	}
	char* end = nullptr;
	const long number = std::strtol(port.c_str(), &end, 10);
	if (*end != '\0' || number < 1 || number > 65535)
	{
		return false;
	}
	options->port = static_cast<uint16_t>(number);
	return true;
}

CommandLine Fail(CommandLine result, const std::string& error)
{
	result.action = CommandLine::Error;
	result.error = error;
	return result;
}

// Options that only make sense together.
CommandLine Check(CommandLine result)
{
	if (result.action != CommandLine::Run)
	{
		return result;
	}
	if (!result.recordPath.empty() && !result.replayPath.empty())
	{
		return Fail(result, "--record and --replay cannot be used together");
	}
	if (result.onlineOptions.host && result.joinGiven)
	{
		return Fail(result, "--host and --join cannot be used together: a program hosts a game or joins one");
	}
	if (result.online && result.sceneGiven)
	{
		return Fail(result, "--scene does not go with --host or --join: an online game plays the game");
	}
	if (result.online && !result.replayPath.empty())
	{
		return Fail(result, "--replay plays alone: not with --host or --join");
	}
	if (result.onlineOptions.delay != 0 && !result.online)
	{
		return Fail(result, "--delay goes with --host or --join");
	}
	if ((result.fast || result.rewrite) && result.replayPath.empty())
	{
		return Fail(result, std::string(result.fast ? "--fast" : "--rewrite") + " goes with --replay FILE");
	}
	return result;
}
} // namespace

CommandLine ParseCommandLine(int* argc, char** argv)
{
	CommandLine result;
	int kept = 1;
	for (int i = 1; i < *argc; ++i)
	{
		const char* arg = argv[i];
		bool missing = false;
		const char* value = nullptr;
		if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
		{
			result.action = CommandLine::Help;
		}
		else if (std::strcmp(arg, "--keyboard") == 0)
		{
			result.keyboardPlay = true;
		}
		else if (std::strcmp(arg, "--panel") == 0)
		{
			result.panelOpen = true;
		}
		else if (std::strcmp(arg, "--list-scenes") == 0)
		{
			result.action = CommandLine::ListScenes;
		}
		else if (std::strcmp(arg, "--fast") == 0)
		{
			result.fast = true;
		}
		else if (std::strcmp(arg, "--rewrite") == 0)
		{
			result.rewrite = true;
		}
		else if ((value = OptionValue("--scene", *argc, argv, &i, &missing)) != nullptr)
		{
			if (missing)
			{
				return Fail(result, "--scene needs a scene number or name (see --list-scenes)");
			}
			std::string error;
			result.sceneGiven = true;
			if (!ParseSceneValue(value, &result.sceneIndex, &error))
			{
				return Fail(result, error);
			}
		}
		else if ((value = OptionValue("--record", *argc, argv, &i, &missing)) != nullptr ||
			(value = OptionValue("--replay", *argc, argv, &i, &missing)) != nullptr)
		{
			const bool record = std::strncmp(arg, "--record", 8) == 0;
			if (missing || *value == '\0')
			{
				return Fail(result, std::string(record ? "--record" : "--replay") + " needs a file name");
			}
			(record ? result.recordPath : result.replayPath) = value;
		}
		else if (std::strcmp(arg, "--host") == 0)
		{
			result.online = true;
			result.onlineOptions.host = true;
			// The value is optional: the next word is it unless an option.
			if (i + 1 < *argc && IsIpv6(argv[i + 1]))
			{
				return Fail(result, std::string("--host ") + argv[i + 1] +
						": IPv6 addresses are not supported; give an IPv4 address");
			}
			if (i + 1 < *argc && argv[i + 1][0] != '-' &&
				!ParseEndpoint(argv[++i], true, &result.onlineOptions))
			{
				return Fail(result, std::string("--host takes [[ADDR:]PORT], not \"") + argv[i] + "\"");
			}
		}
		else if ((value = OptionValue("--join", *argc, argv, &i, &missing)) != nullptr)
		{
			result.online = true;
			result.joinGiven = true;
			if (!missing && IsIpv6(value))
			{
				return Fail(result, std::string("--join ") + value +
						": IPv6 addresses are not supported; give an IPv4 address or a host name");
			}
			if (missing || !ParseEndpoint(value, false, &result.onlineOptions))
			{
				return Fail(result, std::string("--join needs HOST[:PORT], not \"") + value + "\"");
			}
		}
		else if ((value = OptionValue("--delay", *argc, argv, &i, &missing)) != nullptr)
		{
			char* end = nullptr;
			const long frames = std::strtol(value, &end, 10);
			if (missing || *value == '\0' || *end != '\0' || frames < Lockstep::MinDelay || frames > Lockstep::MaxDelay)
			{
				return Fail(result, "--delay needs a number of frames from 1 to 15");
			}
			result.onlineOptions.delay = static_cast<int>(frames);
		}
		else if (const WindowOption* option = FindWindowOption(arg))
		{
			argv[kept++] = argv[i];
			if (option->takesValue)
			{
				if (i + 1 >= *argc)
				{
					return Fail(result, std::string(arg) + " needs a value");
				}
				argv[kept++] = argv[++i];
			}
		}
		else if (arg[0] == '-')
		{
			return Fail(result, std::string("unknown option ") + arg + " (see --help)");
		}
		else
		{
			return Fail(result, std::string("unexpected argument \"") + arg + "\" (see --help)");
		}
	}
	*argc = kept;
	argv[kept] = nullptr;
	return Check(result);
}

void PrintUsage(const char* program)
{
	std::printf("usage: %s [--scene NUMBER|NAME] [--panel] [--keyboard] [--record FILE | --replay FILE [--fast] "
				"[--rewrite]]\n"
				"       [--host [[ADDR:]PORT] | --join HOST[:PORT] [--delay N]] [--list-scenes] [--help]\n"
				"       [freeglut options]\n"
				"  --scene NUMBER|NAME  start with this scene instead of the game (row 0); a name in any case,\n"
				"                       or the start of only one name (--scene revolute, --scene pyr)\n"
				"  --panel              start with the control panel open (F2 shows and hides it)\n"
				"  --keyboard           play both fighters from the keyboard (Tab switches it, Enter pauses)\n"
				"  --record FILE        write the session to FILE, to be played back with --replay; exit\n"
				"                       status 1 if it could not be written (a full disk); online, the game\n"
				"                       from its first frame until the first partner leaves, which both\n"
				"                       machines record alike\n"
				"  --replay FILE        play the session in FILE back in a window of its size and check that\n"
				"                       the world comes out the same (exit status 0) or not (1); Escape\n"
				"                       quits, p pauses, F2 shows the panel; stopped before its end, 3; a\n"
				"                       file that is no recording, or holds a value no session produces, 2\n"
				"  --fast               with --replay: as fast as frames can be drawn\n"
				"  --rewrite            with --replay: write FILE again with this program's digests, once\n"
				"                       the whole replay ran (keeping its permissions and a link to it)\n"
				"  --host [[ADDR:]PORT] play the game and wait for a partner to play it online (UDP port %d\n"
				"                       unless given, on every interface unless ADDR); the host plays the\n"
				"                       knight and its panel sets the game for both; the panel's Online\n"
				"                       section shows the link; not with --scene or --join; IPv4 only\n"
				"  --join HOST[:PORT]   join a host's game as the archer, first catching up with it at full\n"
				"                       speed (a game of over five minutes starts anew); keeps calling for\n"
				"                       10 s, then gives up (exit status 2), as when the host is busy or\n"
				"                       its program is another version; Escape leaves, and both games end\n"
				"                       on the same frame; each machine takes from the other only what a\n"
				"                       player there can do, and drops a partner that sends more\n"
				"  --delay N            frames (1-15) between an input and its effect online; chosen from\n"
				"                       the measured round trip unless given (the host's choice holds)\n"
				"  --list-scenes        print the number and name of every scene\n"
				"  --help               print this text\n"
				"Keys in every scene: F2 control panel, PageUp / PageDown previous / next scene.\n"
				"Game pads: up to two, plugged in at any time; the first plays the knight, the second the\n"
				"archer, and a pad plugged in again gets its fighter back. A pad SDL knows reads by position:\n"
				"stick or D-pad moves, A/cross swings or shoots, B/circle jumps, X/square raises the shield or\n"
				"sprints, Start pauses, any face or shoulder button starts the game. Other pads use their raw\n"
				"buttons 0, 1, 2 and 5. More pads become known through SDL_GAMECONTROLLERCONFIG or a\n"
				"gamecontrollerdb.txt beside the program.\n"
				"freeglut's own options are passed on: -display DISPLAY, -geometry WxH+X+Y, -direct, -indirect,\n"
				"-iconic, -gldebug, -sync. Any other argument is an error (exit status 2).\n"
				"A picture that does not load is left out; without the sprite sheet (Textures/tiles.png) the\n"
				"game draws its arena and figures as outlines. Without an X display: one line, exit status 1.\n",
		program, OnlineSession::DefaultPort);
}
