#pragma once

#include <vector>

// Xlib's own types, without its macros (None, Bool, ...), which clash with
// other headers.
typedef struct _XDisplay Display;
typedef unsigned long Window;

// Opens the one real freeglut window (and GL context) of a test process, at
// the shell's start-up size, and makes it current. Safe to call repeatedly.
// Needs an X display: the test command runs under xvfb-run.
void EnsureGlWindow();
// The window's freeglut id, once open.
int GlWindowFreeglutId();

// Runs freeglut's event processing once, so reshape and similar callbacks
// registered by the shell are delivered.
void PumpWindowEvents();

// The X connection and window behind the test's freeglut window, once it is
// mapped on the screen, so real X input can reach it.
Display* GlWindowDisplay();
Window GlWindowId();
// Lets freeglut read and dispatch every X event the server has sent so far.
void DeliverWindowEvents();
// The window's picture as shown after the last buffer swap, as 0xRRGGBB
// values, bottom row first.
std::vector<unsigned> ReadShownFrame();
