#pragma once

#include <string>
#include <vector>

#include "tools/Canvas.h"

// The game's pictures: the sprite sheet of 32 x 32 frames, the full-view
// overlays and a contact sheet for checking the art by eye.
namespace SheetArt
{
constexpr int FrameSize = 32;
constexpr int SheetWidth = 512;
constexpr int SheetHeight = 256;
constexpr int OverlaySize = 512;

// A frame the game draws, where its anchor sits (frame pixels from the
// lower-left corner) and what it shows.
struct UsedFrame
{
	int frame;
	int anchorX;
	int anchorY;
	const char* name;
};

const std::vector<UsedFrame>& UsedFrames();

Canvas BuildSheet();
Canvas BuildStartOverlay();
Canvas BuildWinOverlay();
Canvas BuildEndOverlay();
// Every used frame at 4x with its number and anchor, and a piece of the
// arena assembled from the terrain frames.
Canvas BuildContactSheet(const Canvas& sheet);
} // namespace SheetArt
