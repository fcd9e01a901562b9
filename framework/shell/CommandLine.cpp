#include "framework/shell/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "framework/core/SceneHost.h"

namespace
{
// A coordinator's letter and four of the code's own.
constexpr std::size_t InviteCodeLetters = 5;
const std::string BadSecret = std::string("an invite's secret is ") + std::to_string(InviteSecret::Letters) +
	" letters of " + InviteSecret::Alphabet + ", in groups of " + std::to_string(InviteSecret::GroupLetters);

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
std::vector<int> ScenesNamed(const SceneHost& scenes, const char* value)
{
	std::vector<int> prefixed;
	for (int i = 0; i < scenes.Count() && *value != '\0'; ++i)
	{
		if (NameMatches(scenes.Registry()[i].name, value, true))
		{
			return {i};
		}
		if (NameMatches(scenes.Registry()[i].name, value, false))
		{
			prefixed.push_back(i);
		}
	}
	return prefixed;
}

// A registry row by number or by name (see ScenesNamed); sets *error when
// none or more than one fits.
bool ParseSceneValue(const SceneHost& scenes, const char* value, int* index, std::string* error)
{
	char* end = nullptr;
	const long number = std::strtol(value, &end, 10);
	if (*value != '\0' && *end == '\0' && number >= 0 && number < scenes.Count())
	{
		*index = static_cast<int>(number);
		return true;
	}
	const std::vector<int> rows = ScenesNamed(scenes, value);
	if (rows.size() == 1)
	{
		*index = rows.front();
		return true;
	}
	if (rows.empty())
	{
		*error = std::string("unknown scene \"") + value + "\": give a number from 0 to " +
			std::to_string(scenes.Count() - 1) + " or a name from --list-scenes";
		return false;
	}
	*error = std::string("scene \"") + value + "\" is ambiguous: it could be";
	for (size_t i = 0; i < rows.size(); ++i)
	{
		*error += std::string(i == 0 ? " " : ", ") + "\"" + scenes.Registry()[rows[i]].name + "\"";
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

// With a coordinator, --join names an invite code: a letter for the
// coordinator and four of the code's own, in any case.
CommandLine WithInviteCode(CommandLine result)
{
	OnlineSession::Options& options = result.onlineOptions;
	if (options.server.empty())
	{
		return result;
	}
	if (!result.online)
	{
		return Fail(result, "--server goes with --host or --join CODE");
	}
	if (!result.joinGiven)
	{
		return result;
	}
	// "AKMRT-HJKM-PRTW-XYAC-DEFG": the code, then the secret.
	const std::string invite = options.address;
	if (invite.size() > InviteCodeLetters && (invite[InviteCodeLetters] == '-' || invite[InviteCodeLetters] == ' '))
	{
		if (!InviteSecret::Parse(invite.substr(InviteCodeLetters + 1), &options.secret))
		{
			return Fail(result, "--join " + invite + ": " + BadSecret);
		}
		options.address = invite.substr(0, InviteCodeLetters);
	}
	const bool letters = std::all_of(options.address.begin(), options.address.end(),
		[](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
	if (options.address.size() != InviteCodeLetters || !letters)
	{
		return Fail(result, "--join with --server takes an invite code of five letters, not \"" + options.address + "\"");
	}
	std::transform(options.address.begin(), options.address.end(), std::back_inserter(options.code),
		[](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
	options.address.clear();
	return result;
}

// Only the partner the host invited gets in: a join carries the secret the
// host made.
CommandLine WithSecret(CommandLine result)
{
	if (result.action == CommandLine::Run && result.joinGiven && !result.onlineOptions.secret.IsSet())
	{
		return Fail(result, "--join needs the invite's secret, as the host prints it: --join HOST[:PORT]/SECRET, "
							"--join CODE-SECRET with --server, or --secret SECRET");
	}
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
	if ((result.fast || result.rewrite || result.check) && result.replayPath.empty())
	{
		const char* const option = result.fast ? "--fast" : result.rewrite ? "--rewrite" : "--check";
		return Fail(result, std::string(option) + " goes with --replay FILE");
	}
	if (result.check && result.panelOpen)
	{
		return Fail(result, "--panel needs a window: not with --check");
	}
	if (result.onlineOptions.secret.IsSet() && !result.online)
	{
		return Fail(result, "--secret goes with --host or --join");
	}
	return WithSecret(WithInviteCode(result));
}
// The online options at argv[*i], as ReadValueOption says.
bool ReadOnlineOption(int argc, char** argv, int* iAt, CommandLine* result, std::string* error)
{
	int& i = *iAt;
	const char* arg = argv[i];
	bool missing = false;
	const char* value = nullptr;
	if (std::strcmp(arg, "--host") == 0)
	{
		result->online = true;
		result->onlineOptions.host = true;
		// The value is optional: the next word is it unless an option.
		if (i + 1 < argc && IsIpv6(argv[i + 1]))
		{
			*error = std::string("--host ") + argv[i + 1] +
					": IPv6 addresses are not supported; give an IPv4 address";
			return true;
		}
		if (i + 1 < argc && argv[i + 1][0] != '-' &&
			!ParseEndpoint(argv[++i], true, &result->onlineOptions))
		{
			*error = std::string("--host takes [[ADDR:]PORT], not \"") + argv[i] + "\"";
			return true;
		}
	}
	else if ((value = OptionValue("--join", argc, argv, &i, &missing)) != nullptr)
	{
		result->online = true;
		result->joinGiven = true;
		if (!missing && IsIpv6(value))
		{
			*error = std::string("--join ") + value +
					": IPv6 addresses are not supported; give an IPv4 address or a host name";
			return true;
		}
		// The invite's secret follows a slash.
		const std::string invite = value;
		const std::size_t slash = invite.find('/');
		if (slash != std::string::npos && !InviteSecret::Parse(invite.substr(slash + 1), &result->onlineOptions.secret))
		{
			*error = "--join " + invite + ": " + BadSecret;
			return true;
		}
		if (missing || !ParseEndpoint(invite.substr(0, slash), false, &result->onlineOptions))
		{
			*error = std::string("--join needs HOST[:PORT]/SECRET or CODE-SECRET, not \"") + value + "\"";
			return true;
		}
	}
	else if ((value = OptionValue("--secret", argc, argv, &i, &missing)) != nullptr)
	{
		if (missing || !InviteSecret::Parse(value, &result->onlineOptions.secret))
		{
			*error = std::string("--secret ") + value + ": " + BadSecret;
			return true;
		}
	}
	else if ((value = OptionValue("--delay", argc, argv, &i, &missing)) != nullptr)
	{
		char* end = nullptr;
		const long frames = std::strtol(value, &end, 10);
		if (missing || *value == '\0' || *end != '\0' || frames < Lockstep::MinDelay || frames > Lockstep::MaxDelay)
		{
			*error = "--delay needs a number of frames from 1 to 15";
			return true;
		}
		result->onlineOptions.delay = static_cast<int>(frames);
	}
	else if ((value = OptionValue("--server", argc, argv, &i, &missing)) != nullptr)
	{
		if (missing || *value == '\0')
		{
			*error = "--server needs HOST[:PORT] (a coordinator)";
			return true;
		}
		result->onlineOptions.server = value;
	}
	else
	{
		return false;
	}
	return true;
}

// The options that take a value, at argv[*i]: true when it was one of them
// (its value read, *i past it), with *error set when the value is wrong.
bool ReadValueOption(const SceneHost& scenes, int argc, char** argv, int* iAt, CommandLine* result,
	std::string* error)
{
	int& i = *iAt;
	const char* arg = argv[i];
	bool missing = false;
	const char* value = nullptr;
	if ((value = OptionValue("--scene", argc, argv, &i, &missing)) != nullptr)
	{
		if (missing)
		{
			*error = "--scene needs a scene number or name (see --list-scenes)";
			return true;
		}
		result->sceneGiven = true;
		if (!ParseSceneValue(scenes, value, &result->sceneIndex, error))
		{
			return true;
		}
	}
	else if ((value = OptionValue("--record", argc, argv, &i, &missing)) != nullptr ||
		(value = OptionValue("--replay", argc, argv, &i, &missing)) != nullptr)
	{
		const bool record = std::strncmp(arg, "--record", 8) == 0;
		if (missing || *value == '\0')
		{
			*error = std::string(record ? "--record" : "--replay") + " needs a file name";
			return true;
		}
		(record ? result->recordPath : result->replayPath) = value;
	}
	else
	{
		return ReadOnlineOption(argc, argv, iAt, result, error);
	}
	return true;
}

// The options that are a word alone: true when arg is one of them.
bool ReadFlag(const char* arg, CommandLine* result)
{
	if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
	{
		result->action = CommandLine::Help;
	}
	else if (std::strcmp(arg, "--list-scenes") == 0)
	{
		result->action = CommandLine::ListScenes;
	}
	else
	{
		bool* const flag = std::strcmp(arg, "--keyboard") == 0 ? &result->keyboardPlay
			: std::strcmp(arg, "--panel") == 0                 ? &result->panelOpen
			: std::strcmp(arg, "--window") == 0                ? &result->window
			: std::strcmp(arg, "--fast") == 0                  ? &result->fast
			: std::strcmp(arg, "--rewrite") == 0               ? &result->rewrite
			: std::strcmp(arg, "--check") == 0                 ? &result->check
															   : nullptr;
		if (flag == nullptr)
		{
			return false;
		}
		*flag = true;
	}
	return true;
}

// --rejoin: --join with the invite kept, through the coordinator kept when
// the invite is a code.
bool ReadRejoin(const KeptJoin& lastJoin, CommandLine* result, std::string* error)
{
	if (lastJoin.invite.empty())
	{
		*error = "--rejoin: no game has been joined yet (a join that played is kept in the settings)";
		return false;
	}
	std::string words[] = {"--join", lastJoin.invite};
	char* joinArgv[] = {&words[0][0], &words[1][0], nullptr};
	int i = 0;
	ReadOnlineOption(2, joinArgv, &i, result, error);
	if (lastJoin.invite.find('/') == std::string::npos && result->onlineOptions.server.empty())
	{
		result->onlineOptions.server = lastJoin.server;
	}
	return error->empty();
}
} // namespace

CommandLine ParseCommandLine(int* argc, char** argv, const SceneHost& scenes, const KeptJoin& lastJoin)
{
	CommandLine result;
	int kept = 1;
	for (int i = 1; i < *argc; ++i)
	{
		const char* arg = argv[i];
		std::string error;
		if (ReadFlag(arg, &result))
		{
			continue;
		}
		if (std::strcmp(arg, "--rejoin") == 0)
		{
			if (!ReadRejoin(lastJoin, &result, &error))
			{
				return Fail(result, error);
			}
			continue;
		}
		if (ReadValueOption(scenes, *argc, argv, &i, &result, &error))
		{
			if (!error.empty())
			{
				return Fail(result, error);
			}
			continue;
		}
		if (const WindowOption* option = FindWindowOption(arg))
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
