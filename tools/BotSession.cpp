#include "tools/BotSession.h"

#include <GL/freeglut.h>
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <cstdlib>
#include <stdexcept>

#include "app/SceneRegistry.h"
#include "framework/Replay.h"
#include "framework/Shell.h"
#include "game/Input.h"
#include "game/KeyboardPad.h"

namespace
{
constexpr int AudioFrequency = 22050;
constexpr int AudioChannels = 2;
constexpr int AudioChunkSize = 4096;
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

void Push(SDL_Event event)
{
	if (SDL_PushEvent(&event) != 0)
	{
		throw std::runtime_error("SDL's event queue took no pad event");
	}
}
} // namespace

BotSession::BotSession(const Setup& setup, const char* program)
{
	// SDL only carries the pad events; the window is freeglut's.
	setenv("SDL_VIDEODRIVER", "dummy", 0);
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	UseRegistry(sceneEntries);
	sceneIndex = setup.row;
	windowWidth = setup.width;
	windowHeight = setup.height;
	modifierQuery = HeldModifiers;

	ReplayLog::Header header;
	header.program = ContestVersion;
	header.scene = setup.row;
	header.width = setup.width;
	header.height = setup.height;
	header.keyboardPlay = setup.keyboardPlay;
	std::string error;
	if (!replay.Record(setup.path, header, &error))
	{
		throw std::runtime_error(error);
	}
	keyboardPad.SetEnabled(setup.keyboardPlay);
	input.Init();
	if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
	{
		throw std::runtime_error("SDL did not start");
	}
	audioOpen = Mix_OpenAudio(AudioFrequency, AUDIO_S16LSB, AudioChannels, AudioChunkSize) != -1;

	// The program builds its scene before anything else draws a random
	// number, from rand's first state.
	std::srand(1);
	StartScene();
	OpenWindow(program);
}

BotSession::~BotSession()
{
	replay.Finish(*currentScene);
	delete currentScene;
	currentScene = nullptr;
	if (audioOpen)
	{
		Mix_CloseAudio();
	}
	input.Shutdown();
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
	glutInitWindowSize(windowWidth, windowHeight);
	mainWindow = glutCreateWindow("replaybot");
	glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
	// The session's frames are its own: freeglut draws nothing by itself.
	glutDisplayFunc(NoDrawing);
	glutReshapeFunc(OnReshape);
	for (int i = 0; i < MapRounds; ++i)
	{
		glutMainLoopEvent();
	}
	if (glutGet(GLUT_WINDOW_WIDTH) != windowWidth || glutGet(GLUT_WINDOW_HEIGHT) != windowHeight)
	{
		throw std::runtime_error("the window did not get the size asked for");
	}
	OnReshape(windowWidth, windowHeight);
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
	return *currentScene;
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
	const b2Vec2 origin = ScreenToWorld(0, 0);
	const b2Vec2 corner = ScreenToWorld(viewportWidth, viewportHeight);
	*x = static_cast<int>((p.x - origin.x) / (corner.x - origin.x) * viewportWidth + 0.5f);
	*y = static_cast<int>((p.y - origin.y) / (corner.y - origin.y) * viewportHeight + 0.5f);
}

void BotSession::PadAxis(int pad, int axis, int16_t value)
{
	Push(PadAxisEvent(pad, axis, value));
}

void BotSession::PadButton(int pad, int button, bool down)
{
	Push(PadButtonEvent(pad, button, down));
}
