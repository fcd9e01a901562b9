#pragma once

// Registers the window's reshape, keyboard, special-key and mouse handlers
// with freeglut and reports the drawing area. The whole window is drawn in:
// there are no panels or subwindows beside the view.
class WindowCallbacks
{
public:
	void SetReshapeFunc(void (*handler)(int width, int height));
	void SetKeyboardFunc(void (*handler)(unsigned char key, int x, int y));
	void SetSpecialFunc(void (*handler)(int key, int x, int y));
	void SetMouseFunc(void (*handler)(int button, int state, int x, int y));
	void GetViewportArea(int* x, int* y, int* width, int* height) const;
};

extern WindowCallbacks windowCallbacks;
