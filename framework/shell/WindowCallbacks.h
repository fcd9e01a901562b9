#pragma once

// Registers the window's reshape, keyboard, special-key and mouse handlers
// with freeglut and reports the drawing area: the whole window, less a side
// panel docked at its right edge while one is shown.
class WindowCallbacks
{
public:
	void SetReshapeFunc(void (*handler)(int width, int height));
	void SetKeyboardFunc(void (*handler)(unsigned char key, int x, int y));
	void SetSpecialFunc(void (*handler)(int key, int x, int y));
	void SetMouseFunc(void (*handler)(int button, int state, int x, int y));
	void GetViewportArea(int* x, int* y, int* width, int* height) const;
	// Pixels at the right edge that the drawing area leaves to a panel; 0
	// when none is shown.
	void SetSidePanelWidth(int width) { sidePanelWidth = width; }

private:
	int sidePanelWidth = 0;
};

extern WindowCallbacks windowCallbacks;
