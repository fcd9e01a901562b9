#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The words of one line of a text file, each checked as it is taken: whole
// numbers, finite numbers and digests in a range, or plain words. The first
// failure is kept as the reason, in a line of sensible length (a quoted
// word is cut short).
class LineWords
{
public:
	explicit LineWords(const std::string& text);

	bool Done() const { return next == words.size(); }
	const std::string& Error() const { return error; }

	std::string Word(const char* what);
	// Digits with an optional minus: no plus, space, base or exponent.
	long Integer(const char* what, long min, long max);
	float Real(const char* what, double min, double max);
	// Exactly sixteen lower-case hexadecimal digits.
	uint64_t Digest(const char* what);
	// Keeps reason unless a failure came first.
	void Fail(const std::string& reason);
	// word in quotes, cut short when long.
	static std::string Quoted(const std::string& word);

private:
	std::vector<std::string> words;
	size_t next = 0;
	std::string error;
};
