#pragma once

#include <string>
#include <vector>

// A player's settings file: lines of "key = value", with '#' comments. The
// file is the player's as much as the program's: every line the program
// does not understand (an unknown key, a value out of range, garbage) is
// said once on stderr and then kept as it is, and a value the program
// changes replaces only its own line.
class SettingsFile
{
public:
	// A key the program reads: a number from min to max, or any text.
	struct Key
	{
		const char* name;
		double min;
		double max;
		bool text;
	};

	// Reads path (a missing file holds nothing); what it says goes to
	// stderr after program's name.
	void Load(const std::string& path, std::vector<Key> keys, const char* program);

	// The value read or set for key; false when there is none (the key
	// keeps its default).
	bool Number(const std::string& key, double* value) const;
	bool Text(const std::string& key, std::string* value) const;
	// A new value for key, written by the next Save when it changes the
	// file.
	void SetNumber(const std::string& key, double value);
	void SetText(const std::string& key, const std::string& value);

	// Writes the file when a value changed since it was read or last
	// written: a temporary file beside it, renamed over it, so a crash
	// leaves the old file or the new one, never half of one. A failure is
	// said once; the values still hold until the program ends.
	void Save();

	const std::string& Path() const { return path; }

private:
	struct Line
	{
		std::string text;
		// The key the line sets, read or not; empty for a line kept as it is.
		std::string key;
		std::string value;
		bool good = false;
	};

	const Key* Find(const std::string& name) const;
	void Read(std::vector<Line>* lines, const std::string& text, int number, int* complaints) const;
	void Set(const std::string& key, const std::string& value);
	const Line* Good(const std::string& key) const;
	bool Write(std::string* error) const;

	std::string path;
	std::string program;
	std::vector<Key> keys;
	std::vector<Line> lines;
	bool changed = false;
	bool failed = false;
};
