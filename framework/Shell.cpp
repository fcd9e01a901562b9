#include "framework/Shell.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <SDL/SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/WindowCallbacks.h"
#include "game/Input.h"
#include "game/KeyboardPad.h"

int windowWidth = 640;
int windowHeight = 480;
int framePeriodMs = 16;
float settingsHz = 60.0f;
float viewZoom = 1.0f;
int viewportX = 0;
int viewportY = 0;
int viewportWidth = 0;
int viewportHeight = 0;
int mainWindow = 0;
int sceneIndex = 0;
int sceneCount = 0;
SceneEntry* currentEntry = nullptr;
Test* currentScene = nullptr;
bool rightMouseDown = false;
b2Vec2 lastPanPoint(0.0f, 0.0f);
Settings settings;
bool audioOpen = false;
int (*modifierQuery)() = glutGetModifiers;

namespace
{
constexpr int AudioFrequency = 22050;
constexpr int AudioChannels = 2;
constexpr int AudioChunkSize = 4096;
constexpr int TitleBufferSize = 32;
constexpr unsigned char EscapeKey = 27;
constexpr float KeyZoomIn = 0.9f;
constexpr float KeyZoomOut = 1.1f;
const b2Vec2 HomeCenter(0.0f, 20.0f);

void Reproject()
{
	OnReshape(windowWidth, windowHeight);
}

// Half the view's width and height in world units.
b2Vec2 ViewExtents()
{
	const float ratio = static_cast<float>(viewportWidth) / static_cast<float>(viewportHeight);
	const float halfHeight = 0.5f * ViewHeightAtZoomOne;
	return b2Vec2(halfHeight * ratio * viewZoom, halfHeight * viewZoom);
}

bool ViewportIsEmpty()
{
	return viewportWidth <= 0 || viewportHeight <= 0;
}

bool ParseSceneValue(const char* value, int* index)
{
	char* end = nullptr;
	const long number = std::strtol(value, &end, 10);
	if (*value != '\0' && *end == '\0')
	{
		if (number < 0 || number >= sceneCount)
		{
			return false;
		}
		*index = static_cast<int>(number);
		return true;
	}
	for (int i = 0; i < sceneCount; ++i)
	{
		if (std::strcmp(sceneEntries[i].name, value) == 0)
		{
			*index = i;
			return true;
		}
	}
	return false;
}

int CountScenes()
{
	int count = 0;
	while (sceneEntries[count].create != nullptr)
	{
		++count;
	}
	return count;
}
} // namespace

void OnReshape(int w, int h)
{
	windowWidth = w;
	windowHeight = h;

	windowCallbacks.GetViewportArea(&viewportX, &viewportY, &viewportWidth, &viewportHeight);
	if (ViewportIsEmpty())
	{
		// A minimised window has no aspect ratio; keep the last projection.
		return;
	}
	glViewport(viewportX, viewportY, viewportWidth, viewportHeight);

	glMatrixMode(GL_PROJECTION);
	glLoadIdentity();
	const b2Vec2 extents = ViewExtents();
	const b2Vec2 lower = settings.viewCenter - extents;
	const b2Vec2 upper = settings.viewCenter + extents;
	gluOrtho2D(lower.x, upper.x, lower.y, upper.y);
}

b2Vec2 ScreenToWorld(int x, int y)
{
	if (ViewportIsEmpty())
	{
		return settings.viewCenter;
	}
	const float u = x / static_cast<float>(viewportWidth);
	const float v = (viewportHeight - y) / static_cast<float>(viewportHeight);

	const b2Vec2 extents = ViewExtents();
	const b2Vec2 lower = settings.viewCenter - extents;
	const b2Vec2 upper = settings.viewCenter + extents;
	return b2Vec2((1.0f - u) * lower.x + u * upper.x, (1.0f - v) * lower.y + v * upper.y);
}

void OnDisplay()
{
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	glMatrixMode(GL_MODELVIEW);
	glLoadIdentity();

	currentScene->textLine = Test::FirstTextLine;
	settings.hz = settingsHz;
	const b2Vec2 oldCenter = settings.viewCenter;
	currentScene->Step(&settings);
	if (oldCenter.x != settings.viewCenter.x || oldCenter.y != settings.viewCenter.y)
	{
		Reproject();
	}
	glutSwapBuffers();
}

void OnTimer(int)
{
	glutSetWindow(mainWindow);
	glutPostRedisplay();
	glutTimerFunc(framePeriodMs, OnTimer, 0);
}

void OnKey(unsigned char key, int, int)
{
	switch (key)
	{
	case EscapeKey:
		glutLeaveMainLoop();
		// Close the window while the GL driver is whole: at exit the
		// driver's code generator may be torn down before freeglut closes
		// the display, and the process would crash on its way out.
		glFinish();
		glutDestroyWindow(mainWindow);
		std::exit(0);
	case ' ':
		if (currentScene != nullptr)
		{
			currentScene->LaunchBomb();
		}
		break;
	case 'p':
		settings.pause = settings.pause == 0 ? 1 : 0;
		break;
	case 'r':
		delete currentScene;
		currentScene = currentEntry->create();
		break;
	case 'x':
		viewZoom = b2Max(KeyZoomIn * viewZoom, MinKeyZoom);
		Reproject();
		break;
	case 'z':
		viewZoom = b2Min(KeyZoomOut * viewZoom, MaxKeyZoom);
		Reproject();
		break;
	default:
		if (currentScene != nullptr)
		{
			currentScene->Keyboard(key);
		}
		break;
	}
}

void OnKeyUp(unsigned char key, int, int)
{
	if (currentScene != nullptr)
	{
		currentScene->KeyboardUp(key);
	}
}

void OnSpecialKey(int key, int, int)
{
	switch (key)
	{
	case GLUT_KEY_LEFT:
	case GLUT_KEY_F1:
		settings.viewCenter.x -= PanStep;
		break;
	case GLUT_KEY_RIGHT:
		settings.viewCenter.x += PanStep;
		break;
	case GLUT_KEY_UP:
		settings.viewCenter.y += PanStep;
		break;
	case GLUT_KEY_DOWN:
		settings.viewCenter.y -= PanStep;
		break;
	case GLUT_KEY_HOME:
		viewZoom = 1.0f;
		settings.viewCenter = HomeCenter;
		break;
	default:
		return;
	}
	Reproject();
}

void OnMouseButton(int button, int state, int x, int y)
{
	const b2Vec2 p = ScreenToWorld(x, y);
	if (button == GLUT_LEFT_BUTTON)
	{
		if (state == GLUT_DOWN)
		{
			if (modifierQuery() == GLUT_ACTIVE_SHIFT)
			{
				currentScene->ShiftMouseDown(p);
			}
			else
			{
				currentScene->MouseDown(p);
			}
		}
		else if (state == GLUT_UP)
		{
			currentScene->MouseUp(p);
		}
	}
	else if (button == GLUT_RIGHT_BUTTON)
	{
		if (state == GLUT_DOWN)
		{
			lastPanPoint = p;
			rightMouseDown = true;
		}
		else if (state == GLUT_UP)
		{
			rightMouseDown = false;
		}
	}
}

void OnMouseWheel(int, int direction, int, int)
{
	if (direction > 0)
	{
		viewZoom /= WheelZoomFactor;
	}
	else
	{
		viewZoom *= WheelZoomFactor;
	}
	Reproject();
}

void OnMouseMotion(int x, int y)
{
	const b2Vec2 p = ScreenToWorld(x, y);
	currentScene->MouseMove(p);

	if (rightMouseDown)
	{
		const b2Vec2 d = p - lastPanPoint;
		settings.viewCenter -= d;
		Reproject();
		lastPanPoint = ScreenToWorld(x, y);
	}
}

void StartScene()
{
	sceneCount = CountScenes();
	sceneIndex = b2Min(sceneIndex, sceneCount - 1);
	sceneIndex = b2Max(sceneIndex, 0);
	currentEntry = sceneEntries + sceneIndex;
	currentScene = currentEntry->create();
}

CommandLine ParseCommandLine(int* argc, char** argv)
{
	CommandLine result;
	sceneCount = CountScenes();
	int kept = 1;
	for (int i = 1; i < *argc; ++i)
	{
		const char* arg = argv[i];
		if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
		{
			result.action = CommandLine::Help;
		}
		else if (std::strcmp(arg, "--keyboard") == 0)
		{
			result.keyboardPlay = true;
		}
		else if (std::strcmp(arg, "--list-scenes") == 0)
		{
			result.action = CommandLine::ListScenes;
		}
		else if (std::strcmp(arg, "--scene") == 0 || std::strncmp(arg, "--scene=", 8) == 0)
		{
			const char* value = nullptr;
			if (arg[7] == '=')
			{
				value = arg + 8;
			}
			else if (i + 1 < *argc)
			{
				value = argv[++i];
			}
			if (value == nullptr)
			{
				result.action = CommandLine::Error;
				result.error = "--scene needs a scene number or name (see --list-scenes)";
				return result;
			}
			if (!ParseSceneValue(value, &result.sceneIndex))
			{
				result.action = CommandLine::Error;
				result.error = std::string("unknown scene \"") + value + "\": give a number from 0 to " +
					std::to_string(sceneCount - 1) + " or a name from --list-scenes";
				return result;
			}
		}
		else if (std::strncmp(arg, "--", 2) == 0)
		{
			result.action = CommandLine::Error;
			result.error = std::string("unknown option ") + arg;
			return result;
		}
		else
		{
			argv[kept++] = argv[i];
		}
	}
	*argc = kept;
	argv[kept] = nullptr;
	return result;
}

void PrintUsage(const char* program)
{
	std::printf("usage: %s [--scene NUMBER|NAME] [--keyboard] [--list-scenes] [--help] [freeglut options]\n"
				"  --scene NUMBER|NAME  start with this scene instead of the game (row 0)\n"
				"  --keyboard           play both fighters from the keyboard (Tab switches it in the game)\n"
				"  --list-scenes        print the number and name of every scene\n"
				"  --help               print this text\n"
				"freeglut's own options, such as -display and -geometry, are passed on.\n",
		program);
}

int RunShell(int argc, char** argv)
{
	const CommandLine commandLine = ParseCommandLine(&argc, argv);
	switch (commandLine.action)
	{
	case CommandLine::Help:
		PrintUsage(argv[0]);
		return 0;
	case CommandLine::ListScenes:
		for (int i = 0; i < sceneCount; ++i)
		{
			std::printf("%2d  %s\n", i, sceneEntries[i].name);
		}
		return 0;
	case CommandLine::Error:
		std::fprintf(stderr, "%s: %s\n", argv[0], commandLine.error.c_str());
		return 2;
	case CommandLine::Run:
		break;
	}
	sceneIndex = commandLine.sceneIndex;
	keyboardPad.SetEnabled(commandLine.keyboardPlay);

	input.Init();

	audioOpen = Mix_OpenAudio(AudioFrequency, AUDIO_S16LSB, AudioChannels, AudioChunkSize) != -1;
	if (!audioOpen)
	{
		std::fprintf(stderr, "%s: no audio device (%s); running without sound\n", argv[0], Mix_GetError());
	}

	StartScene();

	glutInit(&argc, argv);
	glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
	glutInitWindowSize(windowWidth, windowHeight);
	char title[TitleBufferSize];
	std::snprintf(title, sizeof(title), "Box2D Version %d.%d.%d", b2_version.major, b2_version.minor,
		b2_version.revision);
	mainWindow = glutCreateWindow(title);
	glutFullScreen();

	glutDisplayFunc(OnDisplay);
	windowCallbacks.SetReshapeFunc(OnReshape);
	windowCallbacks.SetKeyboardFunc(OnKey);
	windowCallbacks.SetSpecialFunc(OnSpecialKey);
	windowCallbacks.SetMouseFunc(OnMouseButton);
	glutMouseWheelFunc(OnMouseWheel);
	glutMotionFunc(OnMouseMotion);
	glutKeyboardUpFunc(OnKeyUp);

	glutTimerFunc(framePeriodMs, OnTimer, 0);
	glutMainLoop();

	if (audioOpen)
	{
		Mix_CloseAudio();
	}
	input.Shutdown();
	return 0;
}
