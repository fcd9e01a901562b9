#pragma once

class InputRouter;

// What a program does with its window's events.
class WindowEvents
{
public:
	virtual ~WindowEvents() = default;
	// Draw a frame (freeglut's display handler).
	virtual void Display() = 0;
	// The frame clock ticked.
	virtual void Tick() = 0;
	// Nothing else to do (a replay played as fast as it can).
	virtual void FastIdle() = 0;
	// The window manager closed the window.
	virtual void WindowClosed() = 0;
	// Where the keys, the mouse and the window's size go.
	virtual InputRouter& Router() = 0;
};

// Registers the window's handlers with freeglut. freeglut's handlers take no
// context, so the program they
// serve is reached through one pointer, set by Register.
class WindowCallbacks
{
public:
	// Hands the current window's events to events.
	static void Register(WindowEvents* events);
	// The program no longer takes events (it is going).
	static void Unregister(const WindowEvents* events);
	// The frame clock ticks once, in ms milliseconds.
	static void TickIn(int ms);
	// The program's idle handler runs whenever nothing else does, or not.
	static void SetIdle(bool on);
};
