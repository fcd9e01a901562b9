#include "tests/support/TextCapture.h"

#include "framework/DebugDraw.h"
#include "framework/Test.h"

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

void TextCapture::Listen(int, int, const char* text)
{
	if (current != nullptr)
	{
		current->lines.emplace_back(text);
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
