#include "tests/support/GlWindow.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "framework/Shell.h"

namespace
{
bool windowOpen = false;

// Closes the window after the last test, while the GL driver is still
// whole: left to freeglut's exit handler, the driver's code generator is
// already torn down and the process crashes on its way out.
class GlWindowEnvironment : public ::testing::Environment
{
public:
	void TearDown() override
	{
		if (windowOpen)
		{
			glFinish();
			glutDestroyWindow(mainWindow);
			glutExit();
			windowOpen = false;
		}
	}
};

::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new GlWindowEnvironment);
} // namespace

void EnsureGlWindow()
{
	if (windowOpen)
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
	windowOpen = true;
}

void PumpWindowEvents()
{
	glutMainLoopEvent();
}
