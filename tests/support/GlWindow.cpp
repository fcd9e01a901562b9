#include "tests/support/GlWindow.h"

#include <GL/freeglut.h>

#include "framework/Shell.h"

void EnsureGlWindow()
{
	static bool open = false;
	if (open)
	{
		glutSetWindow(mainWindow);
		return;
	}
	int argc = 1;
	char name[] = "contest-test";
	char* argv[] = {name, nullptr};
	glutInit(&argc, argv);
	glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
	glutInitWindowSize(windowWidth, windowHeight);
	mainWindow = glutCreateWindow("contest-test");
	glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
	glutDisplayFunc([] {});
	OnReshape(windowWidth, windowHeight);
	open = true;
}

void PumpWindowEvents()
{
	glutMainLoopEvent();
}
