#pragma once

// The window's drawing area: the whole window, less a side panel docked at
// its right edge while one is shown.
class DrawingArea
{
public:
	void GetViewportArea(int* x, int* y, int* width, int* height) const;
	// Pixels at the right edge that the drawing area leaves to a panel; 0
	// when none is shown.
	void SetSidePanelWidth(int width) { sidePanelWidth = width; }
	// The scenes run with no window at all (a recording checked): there is
	// no area to ask the window system for, and nothing to project.
	void GoWindowless() { windowless = true; }
	bool IsWindowless() const { return windowless; }

private:
	int sidePanelWidth = 0;
	bool windowless = false;
};
