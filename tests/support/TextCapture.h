#pragma once

#include <string>
#include <vector>

// One status text line as the renderer drew it.
struct CapturedLine
{
	int x;
	int y;
	std::string text;
};

// Records every DebugDraw text line while it lives.
class TextCapture
{
public:
	TextCapture();
	~TextCapture();

	const std::vector<CapturedLine>& Lines() const;
	// Index of the first line that starts with prefix, or -1.
	int Find(const std::string& prefix) const;
	void Clear();
};
