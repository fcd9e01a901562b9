#include "framework/core/Texture.h"

bool LocateSheetFrame(const Texture& texture, float frameWidth, float frameHeight, unsigned int frame,
	SheetFrame* result)
{
	if (!(frameWidth > 0.0f) || !(frameHeight > 0.0f) || texture.height <= 0)
	{
		return false;
	}
	const float width = static_cast<float>(texture.width);
	const float height = static_cast<float>(texture.height);
	if (width < frameWidth)
	{
		return false;
	}
	const unsigned int columns = static_cast<unsigned int>(width / frameWidth);
	const unsigned int column = frame % columns;
	const unsigned int row = frame / columns;
	result->s0 = static_cast<float>(column) * frameWidth / width;
	result->t0 = static_cast<float>(row) * frameHeight / height;
	result->s1 = result->s0 + frameWidth / width;
	result->t1 = result->t0 + frameHeight / height;
	return true;
}
