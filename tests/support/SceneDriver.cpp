#include "tests/support/SceneDriver.h"

#include "framework/DebugDraw.h"

namespace
{
std::vector<std::string> capturedLines;

void Capture(int, int, const char* text)
{
	capturedLines.emplace_back(text);
}
} // namespace

void StepScene(Test* scene, Settings* settings, int frames)
{
	for (int i = 0; i < frames; ++i)
	{
		scene->textLine = Test::FirstTextLine;
		scene->Step(settings);
	}
}

TextCapture::TextCapture()
{
	capturedLines.clear();
	DebugDraw::textListener = Capture;
}

TextCapture::~TextCapture()
{
	DebugDraw::textListener = nullptr;
}

void TextCapture::Clear()
{
	capturedLines.clear();
}

const std::vector<std::string>& TextCapture::Lines() const
{
	return capturedLines;
}

bool TextCapture::Has(const std::string& text) const
{
	for (const std::string& line : capturedLines)
	{
		if (line == text)
		{
			return true;
		}
	}
	return false;
}

std::string TextCapture::Find(const std::string& prefix) const
{
	for (const std::string& line : capturedLines)
	{
		if (line.compare(0, prefix.size(), prefix) == 0)
		{
			return line;
		}
	}
	return "";
}
