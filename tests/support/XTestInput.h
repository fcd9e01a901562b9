#pragma once

#include <X11/Xlib.h>

// Real input through the X server's XTest extension, as a user's mouse and
// keyboard give it: the server delivers it to the window under the pointer
// (no window manager runs on the test display, so the focus follows the
// pointer), through freeglut's own event translation.

// Moves the pointer to pixel (x, y) of window.
void MovePointer(Display* display, Window window, int x, int y);
// X button 1 left, 2 middle, 3 right, 4 and 5 the wheel.
void FakeButton(Display* display, unsigned int button, bool down);
// A press and its release a few milliseconds apart, like a quick click.
void FakeClick(Display* display, unsigned int button);
void FakeKey(Display* display, KeySym key, bool down);
void FakeTap(Display* display, KeySym key);
