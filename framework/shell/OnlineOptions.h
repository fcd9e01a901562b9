#pragma once

#include <string>

#include "framework/shell/CommandLine.h"

// The command line's online options: --host, --join, --rejoin, --secret,
// --delay and --server.
namespace OnlineOptions
{
// The online option at argv[*i]: true when it was one (its value read, *i
// past it), with *error set when the value is wrong.
bool Read(int argc, char** argv, int* i, CommandLine* result, std::string* error);
// --rejoin: --join with the invite kept, through the coordinator kept when
// the invite is a code; false, with *error, when there is none or it does
// not read.
bool Rejoin(const KeptJoin& lastJoin, CommandLine* result, std::string* error);
// Once every option is read: an invite code with its coordinator, and a
// join with its secret; false, with *error, when they do not fit.
bool Check(CommandLine* result, std::string* error);
} // namespace OnlineOptions
