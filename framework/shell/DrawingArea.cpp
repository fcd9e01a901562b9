#include "framework/shell/DrawingArea.h"

#include <GL/freeglut.h>

void DrawingArea::GetViewportArea(int* x, int* y, int* width, int* height) const
{
	*x = 0;
	*y = 0;
	// A window narrower than the panel keeps no drawing area at all.
	const int windowWidth = glutGet(GLUT_WINDOW_WIDTH);
	*width = windowWidth > sidePanelWidth ? windowWidth - sidePanelWidth : 0;
	*height = glutGet(GLUT_WINDOW_HEIGHT);
}
