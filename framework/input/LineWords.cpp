#include "framework/input/LineWords.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace
{
// A word quoted in an error message is cut to this many bytes.
constexpr size_t QuotedLength = 40;
constexpr size_t DigestDigits = 16;
constexpr unsigned char DeleteByte = 127;

std::string Number(double value)
{
	char text[32];
	std::snprintf(text, sizeof(text), "%g", value);
	return text;
}
} // namespace

LineWords::LineWords(const std::string& text)
{
	std::istringstream stream(text);
	std::string word;
	while (stream >> word)
	{
		words.push_back(word);
	}
}

std::string LineWords::Word(const char* what)
{
	if (next >= words.size())
	{
		Fail(std::string("missing ") + what);
		return "";
	}
	return words[next++];
}

long LineWords::Integer(const char* what, long min, long max)
{
	const std::string word = Word(what);
	const size_t digits = !word.empty() && word[0] == '-' ? 1 : 0;
	errno = 0;
	const long value = std::strtol(word.c_str(), nullptr, 10);
	const bool whole = word.size() > digits && word.find_first_not_of("0123456789", digits) == std::string::npos;
	if (!whole || errno != 0 || value < min || value > max)
	{
		Fail(std::string(what) + " must be a whole number from " + std::to_string(min) + " to " +
			std::to_string(max) + ", not " + Quoted(word));
	}
	return value;
}

float LineWords::Real(const char* what, double min, double max)
{
	const std::string word = Word(what);
	char* end = nullptr;
	const float value = std::strtof(word.c_str(), &end);
	if (word.empty() || *end != '\0' || !std::isfinite(value) || value < min || value > max)
	{
		Fail(std::string(what) + " must be a number from " + Number(min) + " to " + Number(max) + ", not " +
			Quoted(word));
	}
	return value;
}

uint64_t LineWords::Digest(const char* what)
{
	const std::string word = Word(what);
	if (word.size() != DigestDigits || word.find_first_not_of("0123456789abcdef") != std::string::npos)
	{
		Fail(std::string(what) + " must be " + std::to_string(DigestDigits) + " hexadecimal digits, not " +
			Quoted(word));
		return 0;
	}
	return std::strtoull(word.c_str(), nullptr, 16);
}

void LineWords::Fail(const std::string& reason)
{
	if (error.empty())
	{
		error = reason;
	}
}

std::string LineWords::Quoted(const std::string& word)
{
	// The word may come from another machine: no byte of it reaches a
	// terminal as a control (an escape sequence, a bell), each shows as
	// \xNN.
	std::string shown;
	for (std::size_t i = 0; i < word.size() && i < QuotedLength; ++i)
	{
		const unsigned char c = static_cast<unsigned char>(word[i]);
		if (c < ' ' || c == DeleteByte)
		{
			char escaped[8];
			std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
			shown += escaped;
		}
		else
		{
			shown += static_cast<char>(c);
		}
	}
	return "\"" + shown + (word.size() > QuotedLength ? "...\"" : "\"");
}
