#include "tests/support/TextCapture.h"

#include "framework/DebugDraw.h"

namespace
{
std::vector<CapturedLine> captured;

void Record(int x, int y, const char* text)
{
	captured.push_back({x, y, text});
}
} // namespace

TextCapture::TextCapture()
{
	captured.clear();
	DebugDraw::textListener = Record;
}

TextCapture::~TextCapture()
{
	DebugDraw::textListener = nullptr;
}

const std::vector<CapturedLine>& TextCapture::Lines() const
{
	return captured;
}

int TextCapture::Find(const std::string& prefix) const
{
	for (size_t i = 0; i < captured.size(); ++i)
	{
		if (captured[i].text.compare(0, prefix.size(), prefix) == 0)
		{
			return static_cast<int>(i);
		}
	}
	return -1;
}

void TextCapture::Clear()
{
	captured.clear();
}
