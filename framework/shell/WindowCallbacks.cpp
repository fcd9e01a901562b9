#include "framework/shell/WindowCallbacks.h"

#include <GL/freeglut.h>

#include "framework/shell/InputRouter.h"

namespace
{
// The program the window's handlers serve; null when none.
WindowEvents* program = nullptr;

void OnDisplay()
{
	program->Display();
}

void OnTimer(int)
{
	// A tick due after the program went finds no one.
	if (program != nullptr)
	{
		program->Tick();
	}
}

void OnIdle()
{
	program->FastIdle();
}

void OnClose()
{
	// freeglut closes what is left of its windows at exit, after the
	// program has gone.
	if (program != nullptr)
	{
		program->WindowClosed();
	}
}

void OnReshape(int w, int h)
{
	program->Router().WindowReshaped(w, h);
}

void OnKey(unsigned char key, int x, int y)
{
	program->Router().Key(key, x, y);
}

void OnKeyUp(unsigned char key, int x, int y)
{
	program->Router().KeyUp(key, x, y);
}

void OnSpecialKey(int key, int x, int y)
{
	program->Router().SpecialKey(key, x, y);
}

void OnSpecialKeyUp(int key, int x, int y)
{
	program->Router().SpecialKeyUp(key, x, y);
}

void OnMouseButton(int button, int state, int x, int y)
{
	program->Router().MouseButton(button, state, x, y);
}

void OnMouseMotion(int x, int y)
{
	program->Router().MouseMotion(x, y);
}

void OnPassiveMotion(int x, int y)
{
	program->Router().PassiveMotion(x, y);
}

void OnMouseWheel(int, int direction, int x, int)
{
	program->Router().MouseWheel(direction, x);
}
} // namespace

void WindowCallbacks::Register(WindowEvents* events)
{
	program = events;
	glutDisplayFunc(OnDisplay);
	glutCloseFunc(OnClose);
	glutReshapeFunc(OnReshape);
	glutKeyboardFunc(OnKey);
	glutSpecialFunc(OnSpecialKey);
	glutMouseFunc(OnMouseButton);
	glutMouseWheelFunc(OnMouseWheel);
	glutMotionFunc(OnMouseMotion);
	glutKeyboardUpFunc(OnKeyUp);
	glutSpecialUpFunc(OnSpecialKeyUp);
	glutPassiveMotionFunc(OnPassiveMotion);
}

void WindowCallbacks::Unregister(const WindowEvents* events)
{
	if (program == events)
	{
		program = nullptr;
	}
}

void WindowCallbacks::TickIn(int ms)
{
	glutTimerFunc(ms, OnTimer, 0);
}

void WindowCallbacks::SetIdle(bool on)
{
	glutIdleFunc(on ? OnIdle : nullptr);
}
