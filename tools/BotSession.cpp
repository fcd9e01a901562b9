#include "tools/BotSession.h"

#include <GL/freeglut.h>

#include <cstdlib>
#include <stdexcept>

#include "app/SceneRegistry.h"
#include "framework/shell/App.h"
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

// The app whose window the bot drives, for freeglut's reshape handler.
App* reshaped = nullptr;

void Reshape(int w, int h)
{
	reshaped->Router().Reshape(w, h);
}

} // namespace

BotSession::BotSession(const Setup& setup, const char* program) : app(std::make_unique<App>(sceneEntries, gameDevices))
{
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	app->GetView().SetWindowSize(setup.width, setup.height);
	app->Router().SetModifierQuery(HeldModifiers);
	std::string error;
	if (!app->StartRecording(setup.path, setup.row, setup.keyboardPlay, &error))
	{
		throw std::runtime_error(error);
	}
	app->StartDevices(setup.keyboardPlay, program);
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
	app->StartScene(setup.row);
	OpenWindow(program);
}

BotSession::~BotSession()
{
	app->End(0);
	for (std::unique_ptr<VirtualPad>& pad : pads)
	{
		pad.reset();
	}
	app->StopDevices();
	// Closed while the GL driver is whole (see the app's Quit).
	glFinish();
	glutDestroyWindow(app->WindowId());
}

void BotSession::OpenWindow(const char* program)
{
	int argc = 1;
	char* argv[] = {const_cast<char*>(program), nullptr};
	reshaped = app.get();
	app->OpenWindow(&argc, argv, "replaybot", false);
	// The session's frames are its own: freeglut draws nothing by itself,
	// and the window's size reaches the view without a word to the stream.
	glutDisplayFunc(NoDrawing);
	glutReshapeFunc(Reshape);
	for (int i = 0; i < MapRounds; ++i)
	{
		glutMainLoopEvent();
	}
	const View& view = app->GetView();
	if (glutGet(GLUT_WINDOW_WIDTH) != view.WindowWidth() || glutGet(GLUT_WINDOW_HEIGHT) != view.WindowHeight())
	{
		throw std::runtime_error("the window did not get the size asked for");
	}
	app->Router().Reshape(view.WindowWidth(), view.WindowHeight());
}

void BotSession::RunFrame()
{
	glutMainLoopEvent();
	glutSetWindow(app->WindowId());
	app->Display();
	++frames;
}

Test& BotSession::Scene() const
{
	return *app->Scenes().Scene();
}

void BotSession::Key(unsigned char key)
{
	app->Router().Key(key, 0, 0);
}

void BotSession::KeyUp(unsigned char key)
{
	app->Router().KeyUp(key, 0, 0);
}

void BotSession::Press(int x, int y, bool shift)
{
	heldModifiers = shift ? GLUT_ACTIVE_SHIFT : 0;
	app->Router().MouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
	heldModifiers = 0;
}

void BotSession::Drag(int x, int y)
{
	app->Router().MouseMotion(x, y);
}

void BotSession::Release(int x, int y)
{
	app->Router().MouseButton(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
}

void BotSession::PixelOf(const b2Vec2& p, int* x, int* y) const
{
	// ScreenToWorld is affine: two of its points give its inverse.
	const View& view = app->GetView();
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
