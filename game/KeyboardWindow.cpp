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

// Keys go to the focus window. With the focus on the root, or following the
// pointer (as on a server without a window manager), they go to the window
// under the pointer, which for the full-screen game is the game's.
bool HasFocus(Display* display, Window window)
{
	Window focus = None;
	int revert = 0;
	XGetInputFocus(display, &focus, &revert);
	return focus == window || focus == PointerRoot || focus == DefaultRootWindow(display);
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
