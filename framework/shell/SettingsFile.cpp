#include "framework/shell/SettingsFile.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace
{
// A broken file is named line by line only this far; the rest is counted.
constexpr int MaxComplaints = 5;
// How much of a line a complaint quotes: enough to find it, never a whole
// line of garbage.
constexpr std::size_t QuotedLength = 32;
const char* const Blanks = " \t\r";
const char* const FileHeading = "# The game's settings, written as they change. Lines it does not know are kept.";

std::string Trimmed(const std::string& text)
{
	const std::size_t first = text.find_first_not_of(Blanks);
	if (first == std::string::npos)
	{
		return "";
	}
	return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

bool IsKeyName(const std::string& name)
{
	return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
		return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
	});
}

// Printable text, cut short.
std::string Quoted(const std::string& text)
{
	std::string shown;
	for (char c : text.substr(0, QuotedLength))
	{
		shown += std::isprint(static_cast<unsigned char>(c)) != 0 ? c : '?';
	}
	return "\"" + shown + (text.size() > QuotedLength ? "...\"" : "\"");
}

bool ReadNumber(const std::string& text, double* value)
{
	if (text.empty())
	{
		return false;
	}
	char* end = nullptr;
	errno = 0;
	*value = std::strtod(text.c_str(), &end);
	return errno == 0 && *end == '\0' && std::isfinite(*value);
}

std::string NumberText(double value)
{
	char text[32];
	std::snprintf(text, sizeof(text), "%g", value);
	return text;
}
} // namespace

void SettingsFile::Load(const std::string& file, std::vector<Key> known, const char* name)
{
	path = file;
	program = name;
	keys = std::move(known);
	lines.clear();
	changed = false;
	std::error_code error;
	if (!std::filesystem::exists(path, error))
	{
		return;
	}
	std::ifstream in(path, std::ios::binary);
	if (std::filesystem::is_directory(path, error) || !in)
	{
		std::fprintf(stderr, "%s: settings %s cannot be read (%s); the defaults hold\n", program.c_str(),
			path.c_str(), std::filesystem::is_directory(path, error) ? "it is a folder" : std::strerror(errno));
		failed = true;
		return;
	}
	std::string text;
	int number = 0;
	int complaints = 0;
	while (std::getline(in, text))
	{
		Read(&lines, text, ++number, &complaints);
	}
	if (complaints > MaxComplaints)
	{
		std::fprintf(stderr, "%s: settings %s: %d more lines that do not read are kept as they are\n", program.c_str(),
			path.c_str(), complaints - MaxComplaints);
	}
}

// One line of the file, kept whatever it holds; a line that sets nothing
// the program knows is said, up to MaxComplaints of them.
void SettingsFile::Read(std::vector<Line>* into, const std::string& text, int number, int* complaints) const
{
	Line line;
	line.text = text;
	const std::string trimmed = Trimmed(text);
	std::string complaint;
	const std::size_t equals = trimmed.find('=');
	if (trimmed.empty() || trimmed[0] == '#')
	{
		// A comment or a blank line.
	}
	else if (equals == std::string::npos || !IsKeyName(Trimmed(trimmed.substr(0, equals))))
	{
		complaint = Quoted(trimmed) + " does not read as KEY = VALUE; kept as it is";
	}
	else
	{
		const std::string key = Trimmed(trimmed.substr(0, equals));
		const std::string value = Trimmed(trimmed.substr(equals + 1));
		const Key* known = Find(key);
		double number = 0.0;
		if (known == nullptr)
		{
			complaint = "unknown key \"" + key + "\"; kept as it is";
		}
		else if (!known->text && (!ReadNumber(value, &number) || number < known->min || number > known->max))
		{
			complaint = Quoted(value) + " is not a number from " + NumberText(known->min) + " to " +
				NumberText(known->max) + "; " + key + " keeps its default";
			line.key = key;
		}
		else
		{
			line.key = key;
			line.value = known->text ? value : NumberText(number);
			line.good = true;
		}
	}
	if (!complaint.empty() && ++*complaints <= MaxComplaints)
	{
		std::fprintf(stderr, "%s: settings %s line %d: %s\n", program.c_str(), path.c_str(), number,
			complaint.c_str());
	}
	into->push_back(std::move(line));
}

const SettingsFile::Key* SettingsFile::Find(const std::string& name) const
{
	for (const Key& key : keys)
	{
		if (name == key.name)
		{
			return &key;
		}
	}
	return nullptr;
}

// The last good line of key: a later line wins, as in most such files.
const SettingsFile::Line* SettingsFile::Good(const std::string& key) const
{
	for (auto line = lines.rbegin(); line != lines.rend(); ++line)
	{
		if (line->good && line->key == key)
		{
			return &*line;
		}
	}
	return nullptr;
}

bool SettingsFile::Number(const std::string& key, double* value) const
{
	const Line* line = Good(key);
	return line != nullptr && ReadNumber(line->value, value);
}

bool SettingsFile::Text(const std::string& key, std::string* value) const
{
	const Line* line = Good(key);
	if (line != nullptr)
	{
		*value = line->value;
	}
	return line != nullptr;
}

void SettingsFile::SetNumber(const std::string& key, double value)
{
	Set(key, NumberText(value));
}

void SettingsFile::SetText(const std::string& key, const std::string& value)
{
	// A line break would end the value early and start a line of its own.
	Set(key, value.substr(0, value.find_first_of("\r\n")));
}

// The last line of key (good or not: the player has now chosen) takes the
// value; with none, a line is added.
void SettingsFile::Set(const std::string& key, const std::string& value)
{
	const Line* good = Good(key);
	if (good != nullptr && good->value == value)
	{
		return;
	}
	auto line = std::find_if(lines.rbegin(), lines.rend(), [&](const Line& each) { return each.key == key; });
	if (line == lines.rend())
	{
		if (lines.empty())
		{
			lines.push_back({FileHeading, "", "", false});
		}
		lines.push_back({});
		line = lines.rbegin();
	}
	line->key = key;
	line->value = value;
	line->good = true;
	line->text = key + " = " + value;
	changed = true;
}

void SettingsFile::Save()
{
	if (!changed || path.empty())
	{
		return;
	}
	changed = false;
	std::string error;
	if (!Write(&error) && !failed)
	{
		failed = true;
		std::fprintf(stderr, "%s: settings cannot be written to %s (%s); they hold until the program ends\n",
			program.c_str(), path.c_str(), error.c_str());
	}
}

bool SettingsFile::Write(std::string* error) const
{
	const std::filesystem::path file(path);
	std::error_code made;
	std::filesystem::create_directories(file.parent_path(), made);
	const std::string temporary = path + ".new-" + std::to_string(getpid());
	{
		std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
		for (const Line& line : lines)
		{
			out << line.text << '\n';
		}
		out.flush();
		if (!out)
		{
			*error = made ? made.message() : std::strerror(errno);
			std::remove(temporary.c_str());
			return false;
		}
	}
	if (std::rename(temporary.c_str(), path.c_str()) != 0)
	{
		*error = std::strerror(errno);
		std::remove(temporary.c_str());
		return false;
	}
	return true;
}
