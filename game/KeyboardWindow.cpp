#include "game/KeyboardWindow.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

namespace
{
bool GlutWindowCurrent()
{
	return glutGet(GLUT_INIT_STATE) != 0 && glutGetWindow() != 0;
}

// True when the pointer lies over window and no other window covers it
// there: from the root down, each window's child under the pointer.
bool PointerOver(Display* display, Window window)
{
	Window under = DefaultRootWindow(display);
	while (under != None && under != window)
	{
		Window root = None;
		Window child = None;
		int rootX = 0;
		int rootY = 0;
		int x = 0;
		int y = 0;
		unsigned mask = 0;
		if (!XQueryPointer(display, under, &root, &child, &rootX, &rootY, &x, &y, &mask))
		{
			// The pointer is on another screen.
			return false;
		}
		under = child;
	}
	return under == window;
}

// Keys go to the focus window. With the focus on the root, or following the
// pointer (as on a server without a window manager), they go to the window
// under the pointer: the pointer moving onto another window takes the keys
// with it.
bool HasFocus(Display* display, Window window)
{
	Window focus = None;
	int revert = 0;
	XGetInputFocus(display, &focus, &revert);
	if (focus == PointerRoot || focus == DefaultRootWindow(display))
	{
		return PointerOver(display, window);
	}
	return focus == window;
}
} // namespace

void KeyboardWindow::IgnoreRepeat(bool on)
{
	if (on == (repeatWindow != 0) || !GlutWindowCurrent())
	{
		return;
	}
	const int current = glutGetWindow();
	if (on)
	{
		repeatWindow = current;
		glutIgnoreKeyRepeat(1);
		return;
	}
	glutSetWindow(repeatWindow);
	glutIgnoreKeyRepeat(0);
	glutSetWindow(current);
	repeatWindow = 0;
}

bool KeyboardWindow::FocusLost()
{
	// The GLX drawable of a GLUT window is its X window.
	Display* display = glXGetCurrentDisplay();
	const GLXDrawable window = glXGetCurrentDrawable();
	if (display == nullptr || window == None || !GlutWindowCurrent())
	{
		return false;
	}
	const bool focused = HasFocus(display, window);
	const bool lost = hadFocus && !focused;
	hadFocus = focused;
	return lost;
}
