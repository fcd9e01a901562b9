#include "tests/support/GlWindow.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <GL/glx.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

#include "tests/support/TestApp.h"

namespace
{
bool windowOpen = false;
int window = 0;

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
			glutDestroyWindow(window);
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
		glutSetWindow(window);
		return;
	}
	int argc = 1;
	char name[] = "contest-test";
	char* argv[] = {name, nullptr};
	glutInit(&argc, argv);
	glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
	glutInitWindowSize(TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight());
	window = glutCreateWindow("contest-test");
	glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
	glutDisplayFunc([] {});
	TestApp().Router().Reshape(TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight());
	windowOpen = true;
}

void PumpWindowEvents()
{
	glutMainLoopEvent();
}

Display* GlWindowDisplay()
{
	EnsureGlWindow();
	return glXGetCurrentDisplay();
}

Window GlWindowId()
{
	EnsureGlWindow();
	Display* display = glXGetCurrentDisplay();
	const Window window = glXGetCurrentDrawable();
	// Wholly on the screen, above any other, so that its picture can be
	// read back and the pointer finds it.
	XMoveWindow(display, window, 0, 0);
	XRaiseWindow(display, window);
	XWindowAttributes attributes{};
	for (int attempt = 0; attempt < 200; ++attempt)
	{
		DeliverWindowEvents();
		XGetWindowAttributes(display, window, &attributes);
		if (attributes.map_state == IsViewable)
		{
			break;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	}
	return window;
}

void DeliverWindowEvents()
{
	XSync(glXGetCurrentDisplay(), False);
	glutMainLoopEvent();
}

std::vector<unsigned> ReadShownFrame()
{
	glFinish();
	Display* display = glXGetCurrentDisplay();
	const Window window = glXGetCurrentDrawable();
	XSync(display, False);
	std::vector<unsigned> pixels;
	XImage* image = XGetImage(display, window, 0, 0, TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight(), AllPlanes, ZPixmap);
	if (image == nullptr)
	{
		return pixels;
	}
	pixels.reserve(static_cast<size_t>(TestApp().GetView().WindowWidth()) * TestApp().GetView().WindowHeight());
	for (int row = TestApp().GetView().WindowHeight() - 1; row >= 0; --row)
	{
		for (int column = 0; column < TestApp().GetView().WindowWidth(); ++column)
		{
			pixels.push_back(static_cast<unsigned>(XGetPixel(image, column, row)) & 0xFFFFFFu);
		}
	}
	XDestroyImage(image);
	return pixels;
}

int GlWindowFreeglutId()
{
	EnsureGlWindow();
	return window;
}
