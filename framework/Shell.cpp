#include "framework/Shell.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <SDL/SDL_mixer.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/Replay.h"
#include "framework/ReplayLog.h"
#include "framework/WindowCallbacks.h"
#include "game/Input.h"
#include "game/KeyboardPad.h"

#ifndef CONTEST_VERSION
#define CONTEST_VERSION "unknown"
#endif
const char* const ContestVersion = CONTEST_VERSION;

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
constexpr int RecordingFailedStatus = 1;
// ImGui moves between fields with Tab; the panel leaves it to the scenes
// (the game's keyboard play switch).
constexpr unsigned char TabKey = '\t';
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

// A recording's signal to stop, set by its handler and acted on by the
// frame loop, where the file can be finished safely.
volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal)
{
	stopSignal = signal;
}

// Notes an input for a recording.
void Note(ReplayLog::Line::Kind kind, int code = 0, int value = 0)
{
	ReplayLog::Line line;
	line.kind = kind;
	line.code = code;
	line.value = value;
	replay.Note(line);
}

// What the modifier query answers while a recorded key release is handed
// over: the keys held when it was recorded.
int replayedModifiers = 0;

int ReplayedModifiers()
{
	return replayedModifiers;
}

void NotePoint(ReplayLog::Line::Kind kind, const b2Vec2& point)
{
	ReplayLog::Line line;
	line.kind = kind;
	line.point = point;
	line.zoom = viewZoom;
	replay.Note(line);
}

// The end of a session, however it came: a recording gets its end line, a
// replay says how it went. The exit status: status, or the replay's, or 1
// when the recording could not be written.
int EndSession(int status)
{
	replay.Finish(*currentScene);
	if (replay.Played())
	{
		replay.Report(stdout);
		status = replay.ExitStatus();
	}
	return replay.WriteFailed() ? RecordingFailedStatus : status;
}

// Leaves the program after the end of the session.
[[noreturn]] void Quit(int status)
{
	status = EndSession(status);
	glutLeaveMainLoop();
	// Close the window while the GL driver is whole: at exit the driver's
	// code generator may be torn down before freeglut closes the display,
	// and the process would crash on its way out.
	controlPanel.Shutdown();
	glFinish();
	glutDestroyWindow(mainWindow);
	std::fflush(stdout);
	std::exit(status);
}

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
	if (key == EscapeKey)
	{
		Quit(0);
	}
	Note(ReplayLog::Line::Key, key);
	switch (key)
	{
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
	Note(ReplayLog::Line::Special, key);
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
				NotePoint(ReplayLog::Line::ShiftMouseDown, p);
				currentScene->ShiftMouseDown(p);
			}
			else
			{
				NotePoint(ReplayLog::Line::MouseDown, p);
				currentScene->MouseDown(p);
			}
		}
		else if (state == GLUT_UP)
		{
			NotePoint(ReplayLog::Line::MouseUp, p);
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
	NotePoint(ReplayLog::Line::MouseMove, p);
	currentScene->MouseMove(p);

	if (rightMouseDown)
	{
		const b2Vec2 d = p - lastPanPoint;
		settings.viewCenter -= d;
		Reproject();
		lastPanPoint = ScreenToWorld(x, y);
		NotePoint(ReplayLog::Line::View, settings.viewCenter);
	}
}

// A recorded input, handed over as it was when recorded.
void ApplyReplayed(const ReplayLog::Line& line)
{
	using Line = ReplayLog::Line;
	switch (line.kind)
	{
	case Line::Key:
		ShellKey(static_cast<unsigned char>(line.code));
		break;
	case Line::KeyUp:
	{
		int (*const liveQuery)() = modifierQuery;
		replayedModifiers = line.value;
		modifierQuery = ReplayedModifiers;
		currentScene->KeyboardUp(static_cast<unsigned char>(line.code));
		modifierQuery = liveQuery;
		break;
	}
	case Line::Special:
		ShellSpecialKey(line.code);
		break;
	case Line::MouseDown:
		currentScene->MouseDown(line.point);
		break;
	case Line::ShiftMouseDown:
		currentScene->ShiftMouseDown(line.point);
		break;
	case Line::MouseUp:
		currentScene->MouseUp(line.point);
		break;
	case Line::MouseMove:
		currentScene->MouseMove(line.point);
		break;
	case Line::View:
		settings.viewCenter = line.point;
		viewZoom = line.zoom;
		Reproject();
		break;
	case Line::Window:
		glutReshapeWindow(line.width, line.height);
		break;
	case Line::Change:
		ApplyPanelChange(line.change);
		break;
	default:
		break;
	}
}

// Live input while a replay plays: Escape, 'p' and the panel.
void ReplayViewerKey(unsigned char key)
{
	if (key == EscapeKey)
	{
		Quit(0);
	}
	if (key == 'p')
	{
		replay.ToggleHeld();
	}
}

bool Live()
{
	return !replay.IsPlaying();
}

// The window manager closed the window: freeglut destroys it after this and
// the event loop returns. The panel's GL objects go while their context is
// still here, and a timer due in the same turn of the loop finds no window
// to draw (freeglut would end the program for it).
void OnWindowClose()
{
	controlPanel.Shutdown();
	mainWindow = 0;
	glutLeaveMainLoop();
}

// A key press while a panel field is being edited: the panel types it,
// except Escape, which only ends the edit, and Tab, which ends it and goes
// on to the scene. True when the press is used up here.
bool PanelTypes(unsigned char key, int x, int y)
{
	if (!controlPanel.TakesKeys())
	{
		return false;
	}
	if (key != EscapeKey && key != TabKey)
	{
		controlPanel.KeyDown(key, x, y);
		return true;
	}
	controlPanel.LetGoOfKeys();
	return key == EscapeKey;
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

void OnWindowReshape(int w, int h)
{
	if (w != windowWidth || h != windowHeight)
	{
		ReplayLog::Line line;
		line.kind = ReplayLog::Line::Window;
		line.width = w;
		line.height = h;
		replay.Note(line);
	}
	OnReshape(w, h);
}

void OnDisplay()
{
	if (replay.IsHeld())
	{
		return;
	}
	replay.BeginFrame(*currentScene);
	while (const ReplayLog::Line* line = replay.NextInput())
	{
		ApplyReplayed(*line);
	}

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
	replay.EndFrame(*currentScene);
	if (replay.IsDone())
	{
		Quit(replay.ExitStatus());
	}
	// A replay's panel only shows: the recording's changes are the ones
	// that count.
	for (const PanelChange& change : changes)
	{
		if (Live())
		{
			ApplyPanelChange(change);
		}
	}
}

void OnTimer(int)
{
	if (stopSignal != 0)
	{
		const int signal = stopSignal;
		replay.Finish(*currentScene);
		std::signal(signal, SIG_DFL);
		std::raise(signal);
	}
	if (mainWindow == 0)
	{
		return;
	}
	glutSetWindow(mainWindow);
	// A replay runs its frames whether or not the window can be seen (the
	// recording may have made it tiny); freeglut draws only visible ones.
	if (replay.IsPlaying())
	{
		OnDisplay();
	}
	else
	{
		glutPostRedisplay();
	}
	glutTimerFunc(framePeriodMs, OnTimer, 0);
}

void OnFastIdle()
{
	if (mainWindow == 0)
	{
		return;
	}
	if (!replay.IsPlaying())
	{
		// The replay has handed over to the player: back to real time.
		glutIdleFunc(nullptr);
		glutTimerFunc(framePeriodMs, OnTimer, 0);
		return;
	}
	glutSetWindow(mainWindow);
	OnDisplay();
}

void OnKey(unsigned char key, int x, int y)
{
	if (PanelTypes(key, x, y))
	{
		return;
	}
	if (Live())
	{
		ShellKey(key);
	}
	else
	{
		ReplayViewerKey(key);
	}
}

void OnKeyUp(unsigned char key, int x, int y)
{
	if (controlPanel.IsOpen())
	{
		controlPanel.KeyUp(key, x, y);
	}
	// Releases always reach the scene too: a swallowed one would leave a
	// fighter's key held.
	if (currentScene != nullptr && Live())
	{
		// Modifiers turn a letter into a control code; the scene may ask
		// which were held, and a replay must answer the same.
		Note(ReplayLog::Line::KeyUp, key, key < ' ' ? modifierQuery() : 0);
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
	case GLUT_KEY_PAGE_DOWN:
		if (Live())
		{
			const int step = key == GLUT_KEY_PAGE_UP ? -1 : 1;
			const int row = ((sceneIndex + step) % sceneCount + sceneCount) % sceneCount;
			ApplyPanelChange({PanelChange::Scene, "", static_cast<float>(row)});
		}
		return;
	default:
		break;
	}
	if (controlPanel.TakesKeys())
	{
		controlPanel.SpecialDown(key, x, y);
		return;
	}
	if (Live())
	{
		ShellSpecialKey(key);
	}
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
		const bool onPanel = controlPanel.Covers(x);
		target = onPanel ? MouseTarget::Panel : (Live() ? MouseTarget::Scene : MouseTarget::None);
		if (!onPanel)
		{
			// A click in the scene gives it the keys back.
			controlPanel.LetGoOfKeys();
		}
	}
	const MouseTarget to = target;
	if (state == GLUT_UP)
	{
		target = MouseTarget::None;
	}
	if (to == MouseTarget::Panel)
	{
		controlPanel.MouseButton(button, state, x, y, modifierQuery());
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
	if (!Live())
	{
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
	NotePoint(ReplayLog::Line::View, settings.viewCenter);
}

void OnMouseMotion(int x, int y)
{
	if (controlPanel.IsOpen())
	{
		controlPanel.MouseMotion(x, y);
	}
	// A drag that began on the panel (a slider) is the panel's alone.
	if (!PanelHasMouse() && Live())
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
	glutCloseFunc(OnWindowClose);
	windowCallbacks.SetReshapeFunc(OnWindowReshape);
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
	replay.NoteRestart(*currentScene);
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
	replay.NoteRestart(*currentScene);
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
	ReplayLog::Line line;
	line.kind = ReplayLog::Line::Change;
	line.change = change;
	replay.Note(line);
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
	bool keyboardPlay = commandLine.keyboardPlay;
	if (!commandLine.replayPath.empty())
	{
		ReplayLog log;
		std::string error;
		if (!log.Read(commandLine.replayPath, sceneCount, &error))
		{
			std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
			return 2;
		}
		if (log.header.program != ContestVersion)
		{
			std::fprintf(stderr, "%s: warning: %s was recorded by version %s, this is %s; it may play differently\n",
				argv[0], commandLine.replayPath.c_str(), log.header.program.c_str(), ContestVersion);
		}
		sceneIndex = log.header.scene;
		keyboardPlay = log.header.keyboardPlay;
		windowWidth = log.header.width;
		windowHeight = log.header.height;
		replay.Play(std::move(log), commandLine.replayPath, commandLine.rewrite, ContestVersion);
	}
	if (!commandLine.recordPath.empty())
	{
		ReplayLog::Header header;
		header.program = ContestVersion;
		header.scene = sceneIndex;
		header.width = windowWidth;
		header.height = windowHeight;
		header.keyboardPlay = keyboardPlay;
		std::string error;
		if (!replay.Record(commandLine.recordPath, header, &error))
		{
			std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
			return 2;
		}
	}
	keyboardPad.SetEnabled(keyboardPlay);

	input.Init();
	if (replay.GetMode() == Replay::Mode::Recording)
	{
		// Installed after the pad input, which resets these two: the
		// recording is finished in the frame loop, then the signal ends the
		// program as usual.
		std::signal(SIGINT, OnStopSignal);
		std::signal(SIGTERM, OnStopSignal);
	}

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
	// A replay keeps the recorded window's size, which its own window
	// lines change as they did.
	if (!replay.IsPlaying())
	{
		glutFullScreen();
	}

	RegisterCallbacks();
	if (commandLine.panelOpen)
	{
		SetPanelOpen(true);
	}

	glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
	if (commandLine.fast)
	{
		glutIdleFunc(OnFastIdle);
	}
	else
	{
		glutTimerFunc(framePeriodMs, OnTimer, 0);
	}
	glutMainLoop();

	const int status = EndSession(0);
	if (audioOpen)
	{
		Mix_CloseAudio();
	}
	input.Shutdown();
	return status;
}
