#pragma once

#include <string>
#include <vector>

#include "framework/Settings.h"
#include "framework/Test.h"

// Runs frames of a scene as the shell does (text row reset, then the
// scene's step). Needs the GL window: scenes draw while they step.
void StepScene(Test* scene, Settings* settings, int frames = 1);

// Captures the status text lines drawn while it lives.
class TextCapture
{
public:
	TextCapture();
	~TextCapture();
	TextCapture(const TextCapture&) = delete;
	TextCapture& operator=(const TextCapture&) = delete;

	void Clear();
	const std::vector<std::string>& Lines() const;
	// True when some captured line equals text exactly.
	bool Has(const std::string& text) const;
	// The first captured line that starts with prefix, or "" when none does.
	std::string Find(const std::string& prefix) const;
};
