#include "tools/PeerScript.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace
{
// $N takes word N of the last packet's first line.
constexpr long long MaxWordIndex = 1000;
// Sums stay far from overflow whatever their terms.
constexpr long long MaxSumTerm = 1LL << 60;

// What a word of a step must be, checked when it is written literally.
enum class WordKind
{
	Address,
	Port,
	Kind,
	Seconds,
	Mode,
	Interval,
	Repeat,
	Bytes,
	RawCount,
	Data,
	LineWord,
	Name,
	// A secret, a challenge: any word.
	Any,
};

// A command's words: fixed ones first (the last few optional), then text
// for commands that end in it.
struct Syntax
{
	const char* command;
	std::vector<WordKind> words;
	std::size_t required;
	bool text;
	bool textRequired;
};

const std::vector<Syntax>& Commands()
{
	using K = WordKind;
	static const std::vector<Syntax> commands = {
		{"connect", {K::Address}, 1, false, false},
		{"listen", {K::Port}, 1, false, false},
		{"expect", {K::Kind, K::Seconds}, 1, false, false},
		{"send", {K::Mode}, 1, true, false},
		{"begin", {}, 0, false, false},
		{"line", {}, 0, true, false},
		{"repeat", {K::Repeat, K::LineWord}, 2, true, false},
		{"bytes", {K::Bytes}, 1, true, false},
		{"flood", {K::Seconds, K::Interval, K::Mode}, 3, true, true},
		{"wait", {K::Seconds}, 1, false, false},
		{"halfopen", {K::Address}, 1, false, false},
		{"raw", {K::Address, K::RawCount}, 2, false, false},
		{"disconnect", {K::Data}, 0, false, false},
		{"drop", {}, 0, false, false},
		{"answer", {K::Any, K::Any}, 2, false, false},
		{"greet", {K::Any, K::Any, K::Any}, 3, false, false},
		{"seal", {}, 0, false, false},
		{"print", {}, 0, true, false},
		{"set", {K::Name}, 1, true, false},
		{"check", {}, 0, true, true},
	};
	return commands;
}

const Syntax* Find(const std::string& command)
{
	for (const Syntax& syntax : Commands())
	{
		if (command == syntax.command)
		{
			return &syntax;
		}
	}
	return nullptr;
}

bool IsBlank(char c)
{
	return c == ' ' || c == '\t';
}

// The next word of line from at on; at moves past it and the blanks after.
std::string NextWord(const std::string& line, std::size_t* at)
{
	const std::size_t begin = *at;
	while (*at < line.size() && !IsBlank(line[*at]))
	{
		++*at;
	}
	const std::string word = line.substr(begin, *at - begin);
	while (*at < line.size() && IsBlank(line[*at]))
	{
		++*at;
	}
	return word;
}

// Whether a literal word fits its place; a word with a variable in it is
// judged when the step runs.
bool FitsLiterally(WordKind kind, const std::string& word)
{
	using namespace ScriptLimits;
	if (word.find('$') != std::string::npos && kind != WordKind::Name && kind != WordKind::LineWord)
	{
		return true;
	}
	long long number = 0;
	double seconds = 0.0;
	switch (kind)
	{
	case WordKind::Address:
		return word.find(':') != std::string::npos &&
			ParseInteger(word.substr(word.rfind(':') + 1), 1, MaxPort, &number);
	case WordKind::Port:
		return ParseInteger(word, 1, MaxPort, &number);
	case WordKind::Kind:
	case WordKind::Any:
		return !word.empty();
	case WordKind::Seconds:
		return ParseSeconds(word, MaxSeconds, &seconds);
	case WordKind::Mode:
		return word == "reliable" || word == "unreliable" || word == "unsequenced";
	case WordKind::Interval:
		return ParseInteger(word, 1, MaxIntervalMs, &number);
	case WordKind::Repeat:
		return ParseInteger(word, 0, MaxRepeat, &number);
	case WordKind::Bytes:
		return ParseInteger(word, 0, MaxPacketBytes, &number);
	case WordKind::RawCount:
		return ParseInteger(word, 1, MaxRawDatagrams, &number);
	case WordKind::Data:
		return ParseInteger(word, 0, MaxData, &number);
	case WordKind::LineWord:
		return word == "line";
	case WordKind::Name:
		return IsName(word);
	}
	return false;
}

Expansion ExpandAll(const std::string& raw, const ScriptVariables* variables, std::string* out, std::string* error);

// Whether raw expands at all: escapes and ${...} well formed, whatever
// the variables will hold.
bool ExpandsWell(const std::string& raw, std::string* error)
{
	std::string out;
	return ExpandAll(raw, nullptr, &out, error) == Expansion::Done;
}

bool ReadStep(const std::string& line, ScriptStep* step, std::string* error)
{
	std::size_t at = 0;
	step->command = NextWord(line, &at);
	const Syntax* syntax = Find(step->command);
	if (syntax == nullptr)
	{
		*error = "no such command: " + step->command;
		return false;
	}
	while (at < line.size() && step->words.size() < syntax->words.size() &&
		!(syntax->text && step->words.size() == syntax->required))
	{
		step->words.push_back(NextWord(line, &at));
	}
	step->text = line.substr(at);
	step->hasText = at < line.size();
	if (step->words.size() < syntax->required || (step->hasText && !syntax->text) ||
		(syntax->textRequired && !step->hasText))
	{
		*error = "wrong number of words for " + step->command;
		return false;
	}
	for (std::size_t i = 0; i < step->words.size(); ++i)
	{
		if (!FitsLiterally(syntax->words[i], step->words[i]) || !ExpandsWell(step->words[i], error))
		{
			*error = step->command + " cannot take " + step->words[i];
			return false;
		}
	}
	if (step->command == "expect" && step->words[0] == "nothing" && step->words.size() < 2)
	{
		*error = "expect nothing needs its seconds";
		return false;
	}
	if (step->command == "check" && step->text.find(" == ") == std::string::npos &&
		step->text.find(" != ") == std::string::npos)
	{
		*error = "check takes A == B or A != B";
		return false;
	}
	return ExpandsWell(step->text, error);
}

int HexDigit(char c)
{
	const char* digits = "0123456789abcdef";
	const char* found = std::strchr(digits, std::tolower(static_cast<unsigned char>(c)));
	return c != '\0' && found != nullptr ? static_cast<int>(found - digits) : -1;
}

// Decodes the escape at raw[*at] (the backslash) into out.
bool Unescape(const std::string& raw, std::size_t* at, std::string* out, std::string* error)
{
	static const char escaped[] = "nrt0\\$";
	static const char decoded[] = "\n\r\t\0\\$";
	const char c = *at + 1 < raw.size() ? raw[*at + 1] : '\0';
	const char* plain = c != '\0' ? std::strchr(escaped, c) : nullptr;
	if (plain != nullptr)
	{
		out->push_back(decoded[plain - escaped]);
		*at += 2;
		return true;
	}
	if (c == 'x' && *at + 3 < raw.size() && HexDigit(raw[*at + 2]) >= 0 && HexDigit(raw[*at + 3]) >= 0)
	{
		out->push_back(static_cast<char>(HexDigit(raw[*at + 2]) * 16 + HexDigit(raw[*at + 3])));
		*at += 4;
		return true;
	}
	*error = "a bad escape at \"" + raw.substr(*at, 4) + "\"";
	return false;
}

// The variable named at raw[*at] on (after the $): digits, or a name.
// Without variables (a script being read) every name stands for 0.
Expansion Variable(const std::string& raw, std::size_t* at, const ScriptVariables* variables, std::string* value,
	std::string* error)
{
	const std::size_t begin = *at;
	const bool digits = *at < raw.size() && std::isdigit(static_cast<unsigned char>(raw[*at])) != 0;
	while (*at < raw.size() && (digits ? std::isdigit(static_cast<unsigned char>(raw[*at])) != 0
									   : (std::isalnum(static_cast<unsigned char>(raw[*at])) != 0 || raw[*at] == '_')))
	{
		++*at;
	}
	const std::string name = raw.substr(begin, *at - begin);
	long long index = 0;
	if (name.empty() || (digits && !ParseInteger(name, 0, MaxWordIndex, &index)))
	{
		*error = "a $ with no variable after it";
		return Expansion::BadScript;
	}
	if (variables == nullptr)
	{
		*value = "0";
		return Expansion::Done;
	}
	if (digits)
	{
		if (static_cast<std::size_t>(index) >= variables->words.size())
		{
			*error = "the last packet has no word " + name;
			return Expansion::MissingWord;
		}
		*value = variables->words[static_cast<std::size_t>(index)];
		return Expansion::Done;
	}
	const auto found = variables->named.find(name);
	if (found == variables->named.end())
	{
		*error = "unknown variable $" + name;
		return Expansion::BadScript;
	}
	*value = found->second;
	return Expansion::Done;
}

std::string Trimmed(const std::string& text)
{
	const std::size_t begin = text.find_first_not_of(' ');
	return begin == std::string::npos ? "" : text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
}

// One term of a sum: a whole number, or a variable that holds one.
Expansion Term(const std::string& term, const ScriptVariables* variables, long long* number, std::string* error)
{
	std::string value = term;
	std::size_t end = 1;
	if (!term.empty() && term[0] == '$')
	{
		const Expansion got = Variable(term, &end, variables, &value, error);
		if (got != Expansion::Done)
		{
			return got;
		}
	}
	if ((!term.empty() && term[0] == '$' && end != term.size()) ||
		!ParseInteger(value, -MaxSumTerm, MaxSumTerm, number))
	{
		*error = "\"" + term + "\" (" + value + ") is not a whole number";
		// A packet's word that is no number is the packet's fault.
		return !term.empty() && term[0] == '$' && variables != nullptr ? Expansion::MissingWord
																		: Expansion::BadScript;
	}
	return Expansion::Done;
}

// ${EXPR}: whole numbers and variables added and subtracted. raw[*at] is
// the character after "${"; *at moves past the closing brace.
Expansion Sum(const std::string& raw, std::size_t* at, const ScriptVariables* variables, std::string* out,
	std::string* error)
{
	const std::size_t close = raw.find('}', *at);
	if (close == std::string::npos)
	{
		*error = "a ${ with no }";
		return Expansion::BadScript;
	}
	const std::string expression = raw.substr(*at, close - *at);
	*at = close + 1;
	long long total = 0;
	std::size_t begin = 0;
	long long sign = 1;
	while (true)
	{
		const std::size_t end = std::min(expression.find_first_of("+-", begin), expression.size());
		long long number = 0;
		const std::string term = Trimmed(expression.substr(begin, end - begin));
		// A sign may start the sum, as in ${-1}.
		const bool leadingSign = begin == 0 && term.empty() && end < expression.size();
		const Expansion got = leadingSign ? Expansion::Done : Term(term, variables, &number, error);
		if (got != Expansion::Done)
		{
			*error += " in ${" + expression + "}";
			return got;
		}
		total += sign * number;
		if (end == expression.size())
		{
			break;
		}
		sign = expression[end] == '-' ? -1 : 1;
		begin = end + 1;
	}
	*out += std::to_string(total);
	return Expansion::Done;
}

Expansion ExpandAll(const std::string& raw, const ScriptVariables* variables, std::string* out, std::string* error)
{
	out->clear();
	for (std::size_t at = 0; at < raw.size();)
	{
		if (raw[at] == '\\')
		{
			if (!Unescape(raw, &at, out, error))
			{
				return Expansion::BadScript;
			}
			continue;
		}
		if (raw[at] != '$')
		{
			out->push_back(raw[at++]);
			continue;
		}
		++at;
		Expansion got = Expansion::Done;
		if (at < raw.size() && raw[at] == '{')
		{
			++at;
			got = Sum(raw, &at, variables, out, error);
		}
		else
		{
			std::string value;
			got = Variable(raw, &at, variables, &value, error);
			*out += value;
		}
		if (got != Expansion::Done)
		{
			return got;
		}
	}
	return Expansion::Done;
}
} // namespace

bool ParseScript(std::istream& in, std::vector<ScriptStep>* steps, std::string* error)
{
	std::string line;
	for (int number = 1; std::getline(in, line); ++number)
	{
		line.erase(line.find_last_not_of(" \t\r") + 1);
		line.erase(0, line.find_first_not_of(" \t"));
		if (line.empty() || line[0] == '#')
		{
			continue;
		}
		ScriptStep step;
		step.line = number;
		if (!ReadStep(line, &step, error))
		{
			*error = std::to_string(number) + ": " + *error;
			return false;
		}
		steps->push_back(std::move(step));
	}
	return true;
}

Expansion Expand(const std::string& raw, const ScriptVariables& variables, std::string* out, std::string* error)
{
	return ExpandAll(raw, &variables, out, error);
}

bool ParseInteger(const std::string& text, long long min, long long max, long long* value)
{
	if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) || text[0] == '+')
	{
		return false;
	}
	char* end = nullptr;
	errno = 0;
	const long long number = std::strtoll(text.c_str(), &end, 10);
	if (errno != 0 || *end != '\0' || number < min || number > max)
	{
		return false;
	}
	*value = number;
	return true;
}

bool ParseSeconds(const std::string& text, double max, double* value)
{
	char* end = nullptr;
	const double seconds = std::strtod(text.c_str(), &end);
	if (text.empty() || *end != '\0' || !(seconds > 0.0) || seconds > max)
	{
		return false;
	}
	*value = seconds;
	return true;
}

bool IsName(const std::string& text)
{
	if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0])))
	{
		return false;
	}
	for (char c : text)
	{
		if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_')
		{
			return false;
		}
	}
	return true;
}
