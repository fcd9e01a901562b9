#include "framework/shell/WindowCallbacks.h"

#include <GL/freeglut.h>

WindowCallbacks windowCallbacks;

void WindowCallbacks::SetReshapeFunc(void (*handler)(int, int))
{
	glutReshapeFunc(handler);
}

void WindowCallbacks::SetKeyboardFunc(void (*handler)(unsigned char, int, int))
{
	glutKeyboardFunc(handler);
}

void WindowCallbacks::SetSpecialFunc(void (*handler)(int, int, int))
{
	glutSpecialFunc(handler);
}

void WindowCallbacks::SetMouseFunc(void (*handler)(int, int, int, int))
{
	glutMouseFunc(handler);
}

void WindowCallbacks::GetViewportArea(int* x, int* y, int* width, int* height) const
{
	*x = 0;
	*y = 0;
	// A window narrower than the panel keeps no drawing area at all.
	const int windowWidth = glutGet(GLUT_WINDOW_WIDTH);
	*width = windowWidth > sidePanelWidth ? windowWidth - sidePanelWidth : 0;
	*height = glutGet(GLUT_WINDOW_HEIGHT);
}
