#include "tests/support/TextCapture.h"

#include "framework/core/DebugDraw.h"
#include "framework/core/Test.h"

namespace
{
TextCapture* current = nullptr;
} // namespace

TextCapture::TextCapture()
{
	current = this;
	DebugDraw::textListener = &TextCapture::Listen;
}

TextCapture::~TextCapture()
{
	DebugDraw::textListener = nullptr;
	current = nullptr;
}

int TextCapture::IndexOf(const std::string& prefix) const
{
	for (size_t i = 0; i < lines.size(); ++i)
	{
		if (lines[i].compare(0, prefix.size(), prefix) == 0)
		{
			return static_cast<int>(i);
		}
	}
	return -1;
}

std::string TextCapture::Find(const std::string& prefix) const
{
	const int index = IndexOf(prefix);
	return index < 0 ? std::string() : lines[index];
}

bool TextCapture::Has(const std::string& text) const
{
	for (const std::string& line : lines)
	{
		if (line == text)
		{
			return true;
		}
	}
	return false;
}

void TextCapture::Clear()
{
	lines.clear();
	entries.clear();
}

void TextCapture::Listen(int x, int y, const char* text)
{
	if (current != nullptr)
	{
		current->lines.emplace_back(text);
		current->entries.push_back({x, y, text});
	}
}

void StepScene(Test* scene, Settings& settings, int count)
{
	for (int i = 0; i < count; ++i)
	{
		scene->textLine = Test::FirstTextLine;
		scene->Step(&settings);
	}
}

void StepScene(Test* scene, Settings* settings, int count)
{
	StepScene(scene, *settings, count);
}
