#pragma once

#include <string>
#include <vector>

#include "framework/core/SceneContext.h"
#include "framework/core/Settings.h"

class Test;

// One status text line as the renderer drew it.
struct CapturedLine
{
	int x;
	int y;
	std::string text;
};

// Collects every status line drawn while it exists (one capture at a time):
// by the test app's scenes and shell, and by scenes stepped with StepScene,
// to which it is the context (a window-less one, as a scene built alone has).
class TextCapture : public TextListener, public SceneContext
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

	void Heard(int x, int y, const char* text) override;

	Camera* WindowCamera() const override { return nullptr; }
	int LocalPadFor(int slot) const override { return slot; }
	bool DevicesLive() const override { return true; }
	int KeyModifiers() const override { return 0; }
	void TextDrawn(int x, int y, const char* text) const override;

	// The capture that exists now; null when none.
	static TextCapture* Current();

private:

	std::vector<std::string> lines;
	std::vector<CapturedLine> entries;
};

// Runs count frames of scene as the shell does: text rows from the top,
// then the scene's step with settings; a capture that exists hears its
// text. Needs EnsureGlWindow().
void StepScene(Test* scene, Settings& settings, int count = 1);
void StepScene(Test* scene, Settings* settings, int count = 1);
