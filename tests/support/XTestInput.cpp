#include "tests/support/XTestInput.h"

#include <X11/extensions/XTest.h>

namespace
{
void Send(Display* display)
{
	// The server has acted on the request once the round trip is back.
	XSync(display, False);
}
} // namespace

void MovePointer(Display* display, Window window, int x, int y)
{
	int rootX = 0;
	int rootY = 0;
	Window child;
	XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
	XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
	Send(display);
}

void FakeButton(Display* display, unsigned int button, bool down)
{
	XTestFakeButtonEvent(display, button, down ? True : False, CurrentTime);
	Send(display);
}

void FakeClick(Display* display, unsigned int button)
{
	FakeButton(display, button, true);
	FakeButton(display, button, false);
}

void FakeKey(Display* display, KeySym key, bool down)
{
	XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), down ? True : False, CurrentTime);
	Send(display);
}

void FakeTap(Display* display, KeySym key)
{
	FakeKey(display, key, true);
	FakeKey(display, key, false);
}
