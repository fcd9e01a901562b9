#include "framework/CommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/Shell.h"

namespace
{
bool ParseSceneValue(const char* value, int* index)
{
	char* end = nullptr;
	const long number = std::strtol(value, &end, 10);
	if (*value != '\0' && *end == '\0')
	{
		if (number < 0 || number >= sceneCount)
		{
			return false;
		}
		*index = static_cast<int>(number);
		return true;
	}
	for (int i = 0; i < sceneCount; ++i)
	{
		if (std::strcmp(sceneRegistry[i].name, value) == 0)
		{
			*index = i;
			return true;
		}
	}
	return false;
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
			if (!ParseSceneValue(value, &result.sceneIndex))
			{
				return Fail(result, std::string("unknown scene \"") + value + "\": give a number from 0 to " +
						std::to_string(sceneCount - 1) + " or a name from --list-scenes");
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
		else if (std::strncmp(arg, "--", 2) == 0)
		{
			return Fail(result, std::string("unknown option ") + arg);
		}
		else
		{
			argv[kept++] = argv[i];
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
				"       [--list-scenes] [--help] [freeglut options]\n"
				"  --scene NUMBER|NAME  start with this scene instead of the game (row 0)\n"
				"  --panel              start with the control panel open (F2 shows and hides it)\n"
				"  --keyboard           play both fighters from the keyboard (Tab switches it, Enter pauses)\n"
				"  --record FILE        write the session to FILE, to be played back with --replay\n"
				"  --replay FILE        play the session in FILE back in a window of its size and check that\n"
				"                       the world comes out the same (exit status 0) or not (1); Escape\n"
				"                       quits, p pauses, F2 shows the panel\n"
				"  --fast               with --replay: as fast as frames can be drawn\n"
				"  --rewrite            with --replay: write FILE again with this program's digests\n"
				"  --list-scenes        print the number and name of every scene\n"
				"  --help               print this text\n"
				"Keys in every scene: F2 control panel, PageUp / PageDown previous / next scene.\n"
				"freeglut's own options, such as -display and -geometry, are passed on.\n",
		program);
}
