#pragma once

#include <string>
#include <vector>

#include "framework/core/Settings.h"

class Test;

// One status text line as the renderer drew it.
struct CapturedLine
{
	int x;
	int y;
	std::string text;
};

// Collects every status line drawn while it exists (one capture at a time).
class TextCapture
{
public:
	TextCapture();
	~TextCapture();
	TextCapture(const TextCapture&) = delete;
	TextCapture& operator=(const TextCapture&) = delete;

	// The texts, in drawing order.
	const std::vector<std::string>& Lines() const { return lines; }
	// The texts with their window positions.
	const std::vector<CapturedLine>& Entries() const { return entries; }
	// Index of the first line that starts with prefix, or -1.
	int IndexOf(const std::string& prefix) const;
	// The first line that starts with prefix, or "" when none does.
	std::string Find(const std::string& prefix) const;
	// True when some line equals text exactly.
	bool Has(const std::string& text) const;
	void Clear();

private:
	static void Listen(int x, int y, const char* text);

	std::vector<std::string> lines;
	std::vector<CapturedLine> entries;
};

// Runs count frames of scene as the shell does: text rows from the top,
// then the scene's step with settings. Needs EnsureGlWindow().
void StepScene(Test* scene, Settings& settings, int count = 1);
void StepScene(Test* scene, Settings* settings, int count = 1);
