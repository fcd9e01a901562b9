#include "tests/support/TextCapture.h"

#include "framework/core/DebugDraw.h"
#include "framework/core/Test.h"
#include "tests/support/TestApp.h"

namespace
{
TextCapture* current = nullptr;
} // namespace

TextCapture::TextCapture()
{
	current = this;
	TestApp().HearText(this);
}

TextCapture::~TextCapture()
{
	TestApp().HearText(nullptr);
	current = nullptr;
}

TextCapture* TextCapture::Current()
{
	return current;
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

void TextCapture::Heard(int x, int y, const char* text)
{
	lines.emplace_back(text);
	entries.push_back({x, y, text});
}

void TextCapture::TextDrawn(int x, int y, const char* text) const
{
	if (current != nullptr)
	{
		current->Heard(x, y, text);
	}
}

void StepScene(Test* scene, Settings& settings, int count)
{
	if (current != nullptr)
	{
		scene->UseContext(*current);
	}
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
