#include "framework/shell/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "framework/core/SceneHost.h"
#include "framework/shell/OnlineOptions.h"

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
	std::string error;
	return OnlineOptions::Check(&result, &error) ? result : Fail(result, error);
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
		return OnlineOptions::Read(argc, argv, iAt, result, error);
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
} // namespace

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
			if (!OnlineOptions::Rejoin(lastJoin, &result, &error))
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
