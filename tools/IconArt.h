#pragma once

#include <vector>

#include "tools/Canvas.h"

// The program's icon for desktop menus: the knight's helmet, plumed and
// visored, on a dark tile, drawn anew at each size the icon theme keeps
// rather than scaled from one picture, so the small ones stay sharp.
namespace IconArt
{
// The square sizes in pixels of the hicolor theme's application icons.
const std::vector<int>& Sizes();

Canvas BuildIcon(int size);
} // namespace IconArt
