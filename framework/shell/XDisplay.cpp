#include "framework/shell/XDisplay.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

// The X display the window will open on: freeglut's -display option, else
// DISPLAY. Empty when neither names one.
std::string DisplayName(int argc, char** argv)
{
	for (int i = 1; i + 1 < argc; ++i)
	{
		if (std::strcmp(argv[i], "-display") == 0)
		{
			return argv[i + 1];
		}
	}
	const char* display = std::getenv("DISPLAY");
	return display != nullptr ? display : "";
}

// Asked before anything else starts, so that a terminal without X gets one
// line, not the devices' and the audio's complaints and then freeglut's.
bool DisplayOpens(const std::string& name)
{
	Display* display = XOpenDisplay(name.c_str());
	if (display == nullptr)
	{
		return false;
	}
	XCloseDisplay(display);
	return true;
}
