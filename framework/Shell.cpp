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
const SceneEntry* sceneRegistry = nullptr;
const SceneEntry* currentEntry = nullptr;
Test* currentScene = nullptr;
bool rightMouseDown = false;
b2Vec2 lastPanPoint(0.0f, 0.0f);
Settings settings;
bool audioOpen = false;
int (*modifierQuery)() = glutGetModifiers;
ControlPanel controlPanel;

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

// Where a mouse button's press went; its motion and release follow it.
enum class MouseTarget
{
	None,
	Scene,
	Panel,
};
constexpr int MouseButtons = 3;
MouseTarget mouseTargets[MouseButtons] = {MouseTarget::None, MouseTarget::None, MouseTarget::None};

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
		if (std::strcmp(sceneRegistry[i].name, value) == 0)
		{
			*index = i;
			return true;
		}
	}
	return false;
}

bool PanelHasMouse()
{
	for (MouseTarget target : mouseTargets)
	{
		if (target == MouseTarget::Panel)
		{
			return true;
		}
	}
	return false;
}

// A switch to another scene lets go of everything the old one was given:
// the rest of a drag or a pan belongs to no one.
void ReleaseHeldInput()
{
	keyboardPad.ReleaseAll();
	input.Reset();
	for (MouseTarget& target : mouseTargets)
	{
		if (target == MouseTarget::Scene)
		{
			target = MouseTarget::None;
		}
	}
	rightMouseDown = false;
}

// The shell's keys, then the scene's.
void ShellKey(unsigned char key)
{
	switch (key)
	{
	case EscapeKey:
		glutLeaveMainLoop();
		// Close the window while the GL driver is whole: at exit the
		// driver's code generator may be torn down before freeglut closes
		// the display, and the process would crash on its way out.
		controlPanel.Shutdown();
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
		RestartScene();
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

// The camera keys.
void ShellSpecialKey(int key)
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

void SceneMouseButton(int button, int state, int x, int y)
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

void SceneMouseMotion(int x, int y)
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
} // namespace

void OnReshape(int w, int h)
{
	windowWidth = w;
	windowHeight = h;
	controlPanel.Reshape(w, h);

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
	std::vector<PanelChange> changes;
	if (controlPanel.IsOpen())
	{
		changes = controlPanel.Draw(sceneRegistry, sceneCount, sceneIndex, settings, settingsHz, *currentScene);
	}
	glutSwapBuffers();
	for (const PanelChange& change : changes)
	{
		ApplyPanelChange(change);
	}
}

void OnTimer(int)
{
	glutSetWindow(mainWindow);
	glutPostRedisplay();
	glutTimerFunc(framePeriodMs, OnTimer, 0);
}

void OnKey(unsigned char key, int x, int y)
{
	if (controlPanel.IsOpen())
	{
		// What ImGui is typing into never reaches the scene.
		const bool panelTakesIt = controlPanel.WantsKeyboard();
		controlPanel.KeyDown(key, x, y);
		if (panelTakesIt)
		{
			return;
		}
	}
	ShellKey(key);
}

void OnKeyUp(unsigned char key, int x, int y)
{
	if (controlPanel.IsOpen())
	{
		controlPanel.KeyUp(key, x, y);
	}
	// Releases always reach the scene too: a swallowed one would leave a
	// fighter's key held.
	if (currentScene != nullptr)
	{
		currentScene->KeyboardUp(key);
	}
}

void OnSpecialKey(int key, int x, int y)
{
	switch (key)
	{
	case GLUT_KEY_F2:
		SetPanelOpen(!controlPanel.IsOpen());
		return;
	case GLUT_KEY_PAGE_UP:
		SwitchScene(sceneIndex - 1);
		return;
	case GLUT_KEY_PAGE_DOWN:
		SwitchScene(sceneIndex + 1);
		return;
	default:
		break;
	}
	if (controlPanel.IsOpen())
	{
		const bool panelTakesIt = controlPanel.WantsKeyboard();
		controlPanel.SpecialDown(key, x, y);
		if (panelTakesIt)
		{
			return;
		}
	}
	ShellSpecialKey(key);
}

void OnSpecialKeyUp(int key, int x, int y)
{
	if (controlPanel.IsOpen())
	{
		controlPanel.SpecialUp(key, x, y);
	}
}

void OnMouseButton(int button, int state, int x, int y)
{
	if (button < 0 || button >= MouseButtons)
	{
		return;
	}
	// A press goes to what lies under the pointer; the button's release
	// follows it there, wherever the pointer is by then.
	MouseTarget& target = mouseTargets[button];
	if (state == GLUT_DOWN)
	{
		target = controlPanel.Covers(x) ? MouseTarget::Panel : MouseTarget::Scene;
	}
	const MouseTarget to = target;
	if (state == GLUT_UP)
	{
		target = MouseTarget::None;
	}
	if (to == MouseTarget::Panel)
	{
		controlPanel.MouseButton(button, state, x, y);
	}
	else if (to == MouseTarget::Scene)
	{
		SceneMouseButton(button, state, x, y);
	}
}

void OnMouseWheel(int, int direction, int x, int)
{
	if (controlPanel.Covers(x))
	{
		controlPanel.MouseWheel(direction);
		return;
	}
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
	if (controlPanel.IsOpen())
	{
		controlPanel.MouseMotion(x, y);
	}
	// A drag that began on the panel (a slider) is the panel's alone.
	if (!PanelHasMouse())
	{
		SceneMouseMotion(x, y);
	}
}

void OnPassiveMotion(int x, int y)
{
	if (controlPanel.IsOpen())
	{
		controlPanel.MouseMotion(x, y);
	}
}

void RegisterCallbacks()
{
	glutDisplayFunc(OnDisplay);
	windowCallbacks.SetReshapeFunc(OnReshape);
	windowCallbacks.SetKeyboardFunc(OnKey);
	windowCallbacks.SetSpecialFunc(OnSpecialKey);
	windowCallbacks.SetMouseFunc(OnMouseButton);
	glutMouseWheelFunc(OnMouseWheel);
	glutMotionFunc(OnMouseMotion);
	glutKeyboardUpFunc(OnKeyUp);
	glutSpecialUpFunc(OnSpecialKeyUp);
	glutPassiveMotionFunc(OnPassiveMotion);
}

void UseRegistry(const SceneEntry* registry)
{
	sceneRegistry = registry;
	sceneCount = 0;
	while (sceneRegistry[sceneCount].create != nullptr)
	{
		++sceneCount;
	}
}

void StartScene()
{
	sceneIndex = b2Min(sceneIndex, sceneCount - 1);
	sceneIndex = b2Max(sceneIndex, 0);
	currentEntry = sceneRegistry + sceneIndex;
	currentScene = currentEntry->create();
}

void SwitchScene(int row)
{
	ReleaseHeldInput();
	delete currentScene;
	currentScene = nullptr;
	sceneIndex = (row % sceneCount + sceneCount) % sceneCount;
	StartScene();
	viewZoom = 1.0f;
	settings.viewCenter = HomeCenter;
	Reproject();
}

void RestartScene()
{
	delete currentScene;
	currentScene = currentEntry->create();
}

void SetPanelOpen(bool open)
{
	controlPanel.SetOpen(open);
	windowCallbacks.SetSidePanelWidth(open ? ControlPanel::Width : 0);
	Reproject();
}

void ApplyPanelChange(const PanelChange& change)
{
	switch (change.kind)
	{
	case PanelChange::Scene:
		SwitchScene(static_cast<int>(change.value));
		break;
	case PanelChange::Restart:
		RestartScene();
		break;
	case PanelChange::Setting:
		if (const SettingField* field = FindSettingField(change.key.c_str()))
		{
			SetSettingField(&settings, *field, static_cast<int>(change.value));
		}
		break;
	case PanelChange::Hz:
		settingsHz = b2Clamp(change.value, MinHz, MaxHz);
		break;
	case PanelChange::Pause:
		currentScene->SetPaused(&settings, change.value != 0.0f);
		break;
	case PanelChange::StepOnce:
		currentScene->StepOnce(&settings);
		break;
	case PanelChange::SceneItem:
		currentScene->SetPanelItem(change.key, change.value);
		break;
	}
}

CommandLine ParseCommandLine(int* argc, char** argv)
{
	CommandLine result;
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
		else if (std::strcmp(arg, "--panel") == 0)
		{
			result.panelOpen = true;
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
	std::printf("usage: %s [--scene NUMBER|NAME] [--panel] [--keyboard] [--list-scenes] [--help] [freeglut options]\n"
				"  --scene NUMBER|NAME  start with this scene instead of the game (row 0)\n"
				"  --panel              start with the control panel open (F2 shows and hides it)\n"
				"  --keyboard           play both fighters from the keyboard (Tab switches it, Enter pauses)\n"
				"  --list-scenes        print the number and name of every scene\n"
				"  --help               print this text\n"
				"Keys in every scene: F2 control panel, PageUp / PageDown previous / next scene.\n"
				"freeglut's own options, such as -display and -geometry, are passed on.\n",
		program);
}

int RunShell(int argc, char** argv, const SceneEntry* registry)
{
	UseRegistry(registry);
	const CommandLine commandLine = ParseCommandLine(&argc, argv);
	switch (commandLine.action)
	{
	case CommandLine::Help:
		PrintUsage(argv[0]);
		return 0;
	case CommandLine::ListScenes:
		for (int i = 0; i < sceneCount; ++i)
		{
			std::printf("%2d  %s\n", i, sceneRegistry[i].name);
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

	RegisterCallbacks();
	if (commandLine.panelOpen)
	{
		SetPanelOpen(true);
	}

	glutTimerFunc(framePeriodMs, OnTimer, 0);
	glutMainLoop();

	if (audioOpen)
	{
		Mix_CloseAudio();
	}
	input.Shutdown();
	return 0;
}
