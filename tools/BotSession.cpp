#include "tools/BotSession.h"

#include <GL/freeglut.h>

#include <cstdlib>
#include <stdexcept>

#include "app/SceneRegistry.h"
#include "framework/input/InputStream.h"
#include "framework/shell/Shell.h"
#include "game/GameDevices.h"
#include "game/Input.h"

namespace
{
// Rounds of freeglut's event loop that map the window before the first
// frame.
constexpr int MapRounds = 10;

// The modifier keys the session holds: freeglut answers its own query only
// inside its callbacks, and the session calls the handlers directly.
int heldModifiers = 0;

int HeldModifiers()
{
	return heldModifiers;
}

void NoDrawing()
{
}

} // namespace

BotSession::BotSession(const Setup& setup, const char* program)
{
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	sceneHost.UseRegistry(sceneEntries);
	sceneHost.UseDevices(&gameDevices);
	view.SetWindowSize(setup.width, setup.height);
	inputRouter.SetModifierQuery(HeldModifiers);
	std::string error;
	if (!StartRecording(setup.path, setup.row, setup.keyboardPlay, &error))
	{
		throw std::runtime_error(error);
	}
	start = std::make_unique<ProgramStart>(gameDevices, inputStream, setup.keyboardPlay, program);
	if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0)
	{
		throw std::runtime_error("SDL did not start");
	}
	for (std::unique_ptr<VirtualPad>& pad : pads)
	{
		pad = std::make_unique<VirtualPad>(VirtualPad::Kind::Raw, "bot pad");
	}

	// The program builds its scene before anything else draws a random
	// number, from rand's first state.
	std::srand(1);
	sceneHost.UseContext(&ShellContext());
	sceneHost.Start(setup.row);
	OpenWindow(program);
}

BotSession::~BotSession()
{
	inputStream.EndSession(*sceneHost.Scene());
	sceneHost.End();
	for (std::unique_ptr<VirtualPad>& pad : pads)
	{
		pad.reset();
	}
	start.reset();
	// Closed while the GL driver is whole (see the shell's Quit).
	glFinish();
	glutDestroyWindow(mainWindow);
}

void BotSession::OpenWindow(const char* program)
{
	int argc = 1;
	char* argv[] = {const_cast<char*>(program), nullptr};
	glutInit(&argc, argv);
	glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
	glutInitWindowSize(view.WindowWidth(), view.WindowHeight());
	mainWindow = glutCreateWindow("replaybot");
	glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
	// The session's frames are its own: freeglut draws nothing by itself.
	glutDisplayFunc(NoDrawing);
	glutReshapeFunc(OnReshape);
	for (int i = 0; i < MapRounds; ++i)
	{
		glutMainLoopEvent();
	}
	if (glutGet(GLUT_WINDOW_WIDTH) != view.WindowWidth() || glutGet(GLUT_WINDOW_HEIGHT) != view.WindowHeight())
	{
		throw std::runtime_error("the window did not get the size asked for");
	}
	OnReshape(view.WindowWidth(), view.WindowHeight());
}

void BotSession::RunFrame()
{
	glutMainLoopEvent();
	glutSetWindow(mainWindow);
	OnDisplay();
	++frames;
}

Test& BotSession::Scene() const
{
	return *sceneHost.Scene();
}

void BotSession::Key(unsigned char key)
{
	OnKey(key, 0, 0);
}

void BotSession::KeyUp(unsigned char key)
{
	OnKeyUp(key, 0, 0);
}

void BotSession::Press(int x, int y, bool shift)
{
	heldModifiers = shift ? GLUT_ACTIVE_SHIFT : 0;
	OnMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
	heldModifiers = 0;
}

void BotSession::Drag(int x, int y)
{
	OnMouseMotion(x, y);
}

void BotSession::Release(int x, int y)
{
	OnMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
}

void BotSession::PixelOf(const b2Vec2& p, int* x, int* y) const
{
	// ScreenToWorld is affine: two of its points give its inverse.
	const int width = view.ViewportWidth();
	const int height = view.ViewportHeight();
	const b2Vec2 origin = view.ScreenToWorld(0, 0);
	const b2Vec2 corner = view.ScreenToWorld(width, height);
	*x = static_cast<int>((p.x - origin.x) / (corner.x - origin.x) * width + 0.5f);
	*y = static_cast<int>((p.y - origin.y) / (corner.y - origin.y) * height + 0.5f);
}

void BotSession::PadAxis(int pad, int axis, int16_t value)
{
	pads.at(pad)->Move(axis, value);
}

void BotSession::PadButton(int pad, int button, bool down)
{
	pads.at(pad)->Press(button, down);
}
