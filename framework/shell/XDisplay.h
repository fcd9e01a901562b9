#pragma once

#include <string>

// The X display the window will open on: freeglut's -display option, else
// DISPLAY. Empty when neither names one.
std::string DisplayName(int argc, char** argv);

// Whether the display opens: asked before anything else starts, so that a
// terminal without X gets one line, not the devices' and the audio's
// complaints and then freeglut's.
bool DisplayOpens(const std::string& name);
