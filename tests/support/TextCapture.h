#pragma once

#include <string>
#include <vector>

#include "framework/Settings.h"

class Test;

// Collects every status line drawn while it exists (one capture at a time).
class TextCapture
{
public:
	TextCapture();
	~TextCapture();
	TextCapture(const TextCapture&) = delete;
	TextCapture& operator=(const TextCapture&) = delete;

	const std::vector<std::string>& Lines() const { return lines; }
	void Clear() { lines.clear(); }

private:
	static void Listen(int x, int y, const char* text);

	std::vector<std::string> lines;
};

// Runs count frames of scene as the shell does: text rows from the top,
// then the scene's step with settings. Needs EnsureGlWindow().
void StepScene(Test* scene, Settings& settings, int count = 1);
