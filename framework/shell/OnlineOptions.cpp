#include "framework/shell/OnlineOptions.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace
{
// A coordinator's letter and four of the code's own.
constexpr std::size_t InviteCodeLetters = 5;
const std::string BadSecret = std::string("an invite's secret is ") + std::to_string(InviteSecret::Letters) +
	" letters of " + InviteSecret::Alphabet + ", in groups of " + std::to_string(InviteSecret::GroupLetters);

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

// With a coordinator, --join names an invite code: a letter for the
// coordinator and four of the code's own, in any case.
bool WithInviteCode(CommandLine* result, std::string* error)
{
	OnlineSession::Options& options = result->onlineOptions;
	if (options.server.empty())
	{
		return true;
	}
	if (!result->online)
	{
		*error = "--server goes with --host or --join CODE";
		return false;
	}
	if (!result->joinGiven)
	{
		return true;
	}
	// "AKMRT-HJKM-PRTW-XYAC-DEFG": the code, then the secret.
	const std::string invite = options.address;
	if (invite.size() > InviteCodeLetters && (invite[InviteCodeLetters] == '-' || invite[InviteCodeLetters] == ' '))
	{
		if (!InviteSecret::Parse(invite.substr(InviteCodeLetters + 1), &options.secret))
		{
			*error = "--join " + invite + ": " + BadSecret;
			return false;
		}
		options.address = invite.substr(0, InviteCodeLetters);
	}
	const bool letters = std::all_of(options.address.begin(), options.address.end(),
		[](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
	if (options.address.size() != InviteCodeLetters || !letters)
	{
		*error = "--join with --server takes an invite code of five letters, not \"" + options.address + "\"";
		return false;
	}
	std::transform(options.address.begin(), options.address.end(), std::back_inserter(options.code),
		[](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
	options.address.clear();
	return true;
}

// Only the partner the host invited gets in: a join carries the secret the
// host made.
bool WithSecret(const CommandLine& result, std::string* error)
{
	if (result.action == CommandLine::Run && result.joinGiven && !result.onlineOptions.secret.IsSet())
	{
		*error = "--join needs the invite's secret, as the host prints it: --join HOST[:PORT]/SECRET, "
				 "--join CODE-SECRET with --server, or --secret SECRET";
		return false;
	}
	return true;
}

} // namespace

bool OnlineOptions::Read(int argc, char** argv, int* iAt, CommandLine* result, std::string* error)
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


bool OnlineOptions::Rejoin(const KeptJoin& lastJoin, CommandLine* result, std::string* error)
{
	if (lastJoin.invite.empty())
	{
		*error = "--rejoin: no game has been joined yet (a join that played is kept in the settings)";
		return false;
	}
	std::string words[] = {"--join", lastJoin.invite};
	char* joinArgv[] = {&words[0][0], &words[1][0], nullptr};
	int i = 0;
	Read(2, joinArgv, &i, result, error);
	if (lastJoin.invite.find('/') == std::string::npos && result->onlineOptions.server.empty())
	{
		result->onlineOptions.server = lastJoin.server;
	}
	return error->empty();
}

bool OnlineOptions::Check(CommandLine* result, std::string* error)
{
	return WithInviteCode(result, error) && WithSecret(*result, error);
}
