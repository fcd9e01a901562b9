#pragma once

// The script evilpeer runs: its lines read into steps, and the text of a
// step expanded at the moment it runs, with the variables known then. The
// language is described in EvilPeer.cpp's header comment.

#include <istream>
#include <map>
#include <string>
#include <vector>

// The bounds of a step's numbers, checked when the script is read (for
// literal numbers) and again when the step runs (for expanded ones).
namespace ScriptLimits
{
// Every wait is bounded: ten minutes at most.
constexpr double MaxSeconds = 600.0;
constexpr long long MaxPort = 65535;
constexpr long long MaxIntervalMs = 60000;
constexpr long long MaxRepeat = 10000000;
// A built packet: twice ENet's own limit, so that limit can be met.
constexpr long long MaxPacketBytes = 64LL << 20;
constexpr long long MaxRawDatagrams = 100000;
constexpr long long MaxData = 0xFFFFFFFFLL;
} // namespace ScriptLimits

// One line of a script. The words are taken as written; whatever needs
// expanding is expanded when the step runs.
struct ScriptStep
{
	int line = 0;
	std::string command;
	// The words after the command, up to the text (if the command takes one).
	std::vector<std::string> words;
	// The rest of the line after those words, for commands that end in text.
	std::string text;
	bool hasText = false;
};

// What $NAME, $N and ${EXPR} stand for.
struct ScriptVariables
{
	// --var, set, and $i while a repeat or flood runs.
	std::map<std::string, std::string> named;
	// The words of the last packet's first line ($0 its kind), or of the
	// last disconnect ($1 its data).
	std::vector<std::string> words;
};

enum class Expansion
{
	Done,
	// The script is at fault: a bad escape, an unknown name.
	BadScript,
	// The last packet has fewer words than the script takes from it.
	MissingWord,
};

// Reads a whole script. False, with "LINE: why", at the first line that is
// no step: an unknown command, missing or surplus words, a literal number
// out of range, a bad escape.
bool ParseScript(std::istream& in, std::vector<ScriptStep>* steps, std::string* error);

// raw with its escapes decoded and its variables replaced. Values replace
// their names as they are: escapes in a value are not decoded again.
Expansion Expand(const std::string& raw, const ScriptVariables& variables, std::string* out, std::string* error);

// A whole number written in text, within [min, max].
bool ParseInteger(const std::string& text, long long min, long long max, long long* value);
// Seconds written in text, more than 0 and at most max.
bool ParseSeconds(const std::string& text, double max, double* value);
// Letters, digits and underscores, not starting with a digit.
bool IsName(const std::string& text);
