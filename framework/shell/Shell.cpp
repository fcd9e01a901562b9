#include "framework/shell/Shell.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "framework/shell/CommandLine.h"
#include "framework/core/DebugDraw.h"
#include "framework/input/InputStream.h"
#include "framework/net/OnlineSession.h"
#include "framework/session/Replay.h"
#include "framework/shell/WindowCallbacks.h"

#ifndef CONTEST_VERSION
#define CONTEST_VERSION "unknown"
#endif
const char* const ContestVersion = CONTEST_VERSION;

int mainWindow = 0;
SceneHost sceneHost;
View view(sceneHost.settings);
ControlPanel controlPanel;
InputRouter inputRouter(view, sceneHost, controlPanel);

namespace
{
constexpr int TitleBufferSize = 32;
constexpr unsigned char EscapeKey = 27;
constexpr int RecordingFailedStatus = 1;

// A recording's signal to stop, set by its handler and acted on by the
// frame loop, where the file can be finished safely.
volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal)
{
	stopSignal = signal;
}

// The end of a session, however it came: a recording gets its end line, a
// replay says how it went. The exit status: status, or the replay's, or 1
// when the recording could not be written.
int EndSession(int status)
{
	inputStream.EndSession(*sceneHost.Scene());
	if (replay.Played())
	{
		replay.Report(stdout);
		status = replay.ExitStatus();
	}
	return replay.WriteFailed() ? RecordingFailedStatus : status;
}

// Ends the session and takes down what needs the window while it is still
// there: the scene (the game lets go of the window's key repeat) and the
// panel's GL objects. The exit status, as EndSession says.
int TearDown(int status)
{
	// Quit's closing of the window calls the window manager's close handler
	// too, after the session has ended.
	if (sceneHost.Scene() == nullptr)
	{
		return status;
	}
	status = EndSession(status);
	sceneHost.End();
	controlPanel.Shutdown();
	return status;
}

// The exit status once the window manager has closed the window.
int closedStatus = 0;

// Leaves the program after the end of the session.
[[noreturn]] void Quit(int status)
{
	status = TearDown(status);
	glutLeaveMainLoop();
	// Close the window while the GL driver is whole: at exit the driver's
	// code generator may be torn down before freeglut closes the display,
	// and the process would crash on its way out.
	glFinish();
	glutDestroyWindow(mainWindow);
	std::fflush(stdout);
	std::exit(status);
}

// Escape ends the session; while a replay plays, 'p' holds it.
void SessionKey(unsigned char key)
{
	// Online, the partner is told, and the program goes once both have
	// played the last frame; a second Escape goes at once.
	if (key == EscapeKey && !onlineSession.Leave())
	{
		Quit(0);
	}
	// Only a replay: a partner catching up is not held by it.
	if (key == 'p' && replay.IsPlaying())
	{
		replay.ToggleHeld();
	}
}

// The window manager closed the window: freeglut destroys it after this and
// the event loop returns. The session ends while the window is still here,
// and a timer due in the same turn of the loop finds no window to draw
// (freeglut would end the program for it).
void OnWindowClose()
{
	closedStatus = TearDown(0);
	mainWindow = 0;
	glutLeaveMainLoop();
}

void OnWindowReshape(int w, int h)
{
	inputRouter.WindowReshaped(w, h);
}

void OnSpecialKeyUp(int key, int x, int y)
{
	inputRouter.SpecialKeyUp(key, x, y);
}

void OnPassiveMotion(int x, int y)
{
	inputRouter.PassiveMotion(x, y);
}

// What the running scene may ask of the shell.
class ShellSceneContext : public SceneContext
{
public:
	Camera* WindowCamera() const override { return &view; }
	int LocalPadFor(int slot) const override { return inputStream.LocalPadFor(slot); }
	bool DevicesLive() const override { return !replay.IsPlaying(); }
	int KeyModifiers() const override { return inputRouter.KeyModifiers(); }
};

using Clock = std::chrono::steady_clock;

// The shell's own lines over the scene: where an online game stands.
DebugDraw shellText;

// How long lockstep may wait for the partner before the screen says so.
constexpr std::chrono::milliseconds PartnerWaitShown(250);
// While waiting, the frame is tried again this soon: the partner's inputs
// may come at any moment, and the frame runs as soon as they do.
constexpr int PartnerPollMs = 1;
// Online, frames start on a grid of frame periods rather than a period
// after each frame ends: both machines then keep one pace whatever their
// frames cost, and the partner's inputs are there before they are needed.
constexpr std::chrono::microseconds LockstepPeriod(1000000 / 60);
// A partner catching up runs frames for this long before the network is
// serviced again.
constexpr std::chrono::milliseconds CatchUpSlice(20);
Clock::time_point gridTick;
Clock::time_point waitingSince;
// The line drawn over the waiting frame; empty until one is.
std::string waitShown;
bool frameWaits = false;

// The frame cannot run yet: the last picture stays, and after a moment it
// says why, drawn straight onto it, and again whenever that changes.
void WaitForPartner()
{
	const Clock::time_point now = Clock::now();
	if (waitingSince == Clock::time_point())
	{
		waitingSince = now;
	}
	const std::string line = onlineSession.WaitLine();
	if (line == waitShown || now - waitingSince < PartnerWaitShown)
	{
		return;
	}
	// The back buffer still holds the last picture (or, where a swap flips
	// the buffers, the one before it): it goes to the front again under the
	// line. Drawing on the front alone shows nothing else where the front
	// buffer is the driver's own copy, as with software rendering.
	glDrawBuffer(GL_FRONT);
	glReadBuffer(GL_BACK);
	glPushAttrib(GL_ENABLE_BIT);
	glDisable(GL_TEXTURE_2D);
	glDisable(GL_BLEND);
	glDisable(GL_DEPTH_TEST);
	glMatrixMode(GL_PROJECTION);
	glPushMatrix();
	glLoadIdentity();
	glMatrixMode(GL_MODELVIEW);
	glPushMatrix();
	glLoadIdentity();
	// The window's lower left corner.
	glRasterPos2f(-1.0f, -1.0f);
	glCopyPixels(0, 0, view.WindowWidth(), view.WindowHeight(), GL_COLOR);
	glPopMatrix();
	glMatrixMode(GL_PROJECTION);
	glPopMatrix();
	glMatrixMode(GL_MODELVIEW);
	// The line goes on a band of its own over the picture's first line.
	glEnable(GL_SCISSOR_TEST);
	glScissor(0, view.WindowHeight() - Test::FirstTextLine - Test::TextLineStep / 4, view.WindowWidth(),
		Test::TextLineStep + Test::TextLineStep / 4);
	glClear(GL_COLOR_BUFFER_BIT);
	glPopAttrib();
	shellText.DrawString(5, Test::FirstTextLine, "%s", line.c_str());
	glFlush();
	glDrawBuffer(GL_BACK);
	waitShown = line;
}

// The scene's step with the settings; a scene that moved the camera
// through them gets its picture projected anew.
void StepScene(Test& scene)
{
	scene.textLine = Test::FirstTextLine;
	Settings& settings = sceneHost.settings;
	settings.hz = sceneHost.settingsHz;
	const b2Vec2 oldCenter = settings.viewCenter;
	scene.Step(&settings);
	if (onlineSession.IsOpen())
	{
		shellText.DrawString(5, scene.textLine, "%s", onlineSession.StatusLine().c_str());
		scene.textLine += Test::TextLineStep;
	}
	if (oldCenter.x != settings.viewCenter.x || oldCenter.y != settings.viewCenter.y)
	{
		view.Reproject();
	}
}

// One frame: the frame's inputs, the scene's step, the panel, the picture.
// A frame not shown is drawn nowhere and never swapped in: drawing is most
// of a frame's cost, and a partner catching up shows only some frames.
void RunFrame(bool shown)
{
	// Held by the viewer, or the session is over (the window manager closed
	// the window): nothing to run.
	if (replay.IsHeld() || sceneHost.Scene() == nullptr)
	{
		return;
	}
	frameWaits = !inputStream.FrameReady();
	if (frameWaits)
	{
		WaitForPartner();
		return;
	}
	waitingSince = Clock::time_point();
	waitShown.clear();
	inputStream.BeginFrame(*sceneHost.Scene());
	while (const InputLine* line = inputStream.Next(InputChannel::Shell))
	{
		inputRouter.Apply(*line);
	}
	if (inputStream.EndsBeforeStep(*sceneHost.Scene()))
	{
		Quit(replay.ExitStatus());
	}

	if (!shown)
	{
		glEnable(GL_SCISSOR_TEST);
		glScissor(0, 0, 0, 0);
	}
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	glMatrixMode(GL_MODELVIEW);
	glLoadIdentity();
	StepScene(*sceneHost.Scene());
	std::vector<PanelChange> changes;
	if (controlPanel.IsOpen())
	{
		changes = controlPanel.Draw(sceneHost.Registry(), sceneHost.Count(), sceneHost.Index(), sceneHost.settings,
			sceneHost.settingsHz, *sceneHost.Scene());
	}
	if (shown)
	{
		glutSwapBuffers();
	}
	glDisable(GL_SCISSOR_TEST);
	inputStream.EndFrame(*sceneHost.Scene());
	// A replay's panel only shows: the recording's changes are the ones
	// that count.
	for (const PanelChange& change : changes)
	{
		inputRouter.PanelChanged(change);
	}
	onlineSession.FrameEnded();
	onlineSession.DeliverNotices();
}

// A partner that joined a game under way plays the host's frames so far as
// fast as it can for a slice of time at each tick, and shows the frame that
// ends the slice.
void CatchUp()
{
	const Clock::time_point until = Clock::now() + CatchUpSlice;
	while (onlineSession.IsCatchingUp())
	{
		const bool last = Clock::now() >= until;
		RunFrame(last);
		if (last)
		{
			return;
		}
	}
}

// Where --record writes an online game, and whether one was written.
std::string onlineRecordPath;
bool onlineRecorded = false;

// Records an online game as both machines play it: from its first frame,
// with both players' inputs, so both machines write the same file but for
// the side. A partner that caught up writes the frames it played first.
// Only the first game is recorded; a later one would overwrite it.
void RecordOnlineGame(const ReplayLog::Header& header, const std::vector<InputLine>& before, int frames)
{
	if (onlineRecordPath.empty())
	{
		return;
	}
	if (onlineRecorded)
	{
		std::fprintf(stderr, "contest: %s holds an earlier game; this one is not recorded\n",
			onlineRecordPath.c_str());
		return;
	}
	onlineRecorded = true;
	std::string error;
	if (!replay.RecordAfter(onlineRecordPath, header, before, frames, &error))
	{
		std::fprintf(stderr, "contest: %s\n", error.c_str());
		return;
	}
	inputStream.AddListener(&replay);
}

// The recording of an online game ends with it, on the same frame on both
// machines when a player left by Escape.
void EndOnlineRecording()
{
	if (replay.GetMode() == Replay::Mode::Recording)
	{
		replay.SessionEnds(*sceneHost.Scene());
		inputStream.RemoveListener(&replay);
	}
}

// Opens the network for an online game. The host plays the game from a
// seed of its own, with the settings' defaults and keyboard play on, which
// it starts at *row; a partner builds the same game from the same seed once
// they meet, and catches up. Lockstep then gives the inputs.
bool StartOnline(const CommandLine& commandLine, InputDevices& devices, const char* program, int* row)
{
	std::string error;
	OnlineSession::Options options = commandLine.onlineOptions;
	for (int pad = 0; pad < 2; ++pad)
	{
		options.fighters[pad] = devices.FighterOn(pad);
	}
	options.program = ContestVersion;
	options.scenes = sceneHost.Count();
	options.width = View::DefaultWidth;
	options.height = View::DefaultHeight;
	onlineSession.GetLockstep().UseRules(TravelRules(&devices));
	if (!onlineSession.Open(options, inputStream, &error))
	{
		std::fprintf(stderr, "%s: %s\n", program, error.c_str());
		return false;
	}
	onlineRecordPath = commandLine.recordPath;
	controlPanel.ShowOnline(&onlineSession);
	if (commandLine.onlineOptions.host)
	{
		const ReplayLog::Header header = onlineSession.BeginGame(std::random_device()());
		std::srand(header.seed);
		*row = 0;
		devices.SetKeyboardPlay(true);
		RecordOnlineGame(header, {}, 0);
	}
	onlineSession.OnNotice([&devices](const OnlineSession::Notice& notice) {
		switch (notice.kind)
		{
		case OnlineSession::Notice::Kind::GameStarts:
			// A game recorded so far ends before the scene is built anew.
			EndOnlineRecording();
			std::srand(notice.seed);
			sceneHost.settings = Settings();
			sceneHost.settingsHz = Settings().hz;
			sceneHost.Switch(0);
			// Both players can use the keys or a pad from the start; Tab
			// switches keyboard play for both.
			devices.SetKeyboardPlay(true);
			break;
		case OnlineSession::Notice::Kind::GameShared:
			RecordOnlineGame(notice.header, notice.before, notice.frames);
			break;
		case OnlineSession::Notice::Kind::PartnerLeft:
			EndOnlineRecording();
			// The other player's fighter lets go of what it held, through
			// the input stream: the game kept for the next partner holds
			// it too.
			devices.LetGoOf(
				TravelRules::PadOf(onlineSession.IsHost() ? Lockstep::Side::Partner : Lockstep::Side::Host));
			break;
		}
	});
	onlineSession.GetLockstep().UseKeyMap([&devices](unsigned char key) { return devices.SecondPlayerKey(key); });
	inputStream.SetSource(&onlineSession.GetLockstep());
	return true;
}

// Reads a recording to play, or starts one, as the command line asks.
// False, said on stderr, when the file cannot be read or written.
bool StartReplay(const CommandLine& commandLine, const char* program, int* row, bool* keyboardPlay)
{
	if (!commandLine.replayPath.empty())
	{
		ReplayLog log;
		std::string error;
		if (!log.Read(commandLine.replayPath, sceneHost.Count(), &error))
		{
			std::fprintf(stderr, "%s: %s\n", program, error.c_str());
			return false;
		}
		if (log.header.program != ContestVersion)
		{
			std::fprintf(stderr, "%s: warning: %s was recorded by version %s, this is %s; it may play differently\n",
				program, commandLine.replayPath.c_str(), log.header.program.c_str(), ContestVersion);
		}
		*row = log.header.scene;
		*keyboardPlay = log.header.keyboardPlay;
		std::srand(log.header.seed);
		view.SetWindowSize(log.header.width, log.header.height);
		replay.Play(std::move(log), commandLine.replayPath, commandLine.rewrite, ContestVersion);
		inputStream.SetSource(&replay);
	}
	std::string error;
	// An online game is recorded once it starts.
	if (!commandLine.recordPath.empty() && !commandLine.online &&
		!StartRecording(commandLine.recordPath, *row, *keyboardPlay, &error))
	{
		std::fprintf(stderr, "%s: %s\n", program, error.c_str());
		return false;
	}
	return true;
}

// The X display the window will open on: freeglut's -display option, else
// DISPLAY. Empty when neither names one.
std::string DisplayName(int argc, char** argv)
{
	for (int i = 1; i + 1 < argc; ++i)
	{
		if (std::strcmp(argv[i], "-display") == 0)
		{
			return argv[i + 1];
		}
	}
	const char* display = std::getenv("DISPLAY");
	return display != nullptr ? display : "";
}

// Asked before anything else starts, so that a terminal without X gets one
// line, not the devices' and the audio's complaints and then freeglut's.
bool DisplayOpens(const std::string& name)
{
	Display* display = XOpenDisplay(name.c_str());
	if (display == nullptr)
	{
		return false;
	}
	XCloseDisplay(display);
	return true;
}

void OpenWindow(int* argc, char** argv)
{
	glutInit(argc, argv);
	glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
	glutInitWindowSize(view.WindowWidth(), view.WindowHeight());
	char title[TitleBufferSize];
	std::snprintf(title, sizeof(title), "Box2D Version %d.%d.%d", b2_version.major, b2_version.minor,
		b2_version.revision);
	mainWindow = glutCreateWindow(title);
	// A replay keeps the recorded window's size, which its own window
	// lines change as they did.
	if (inputStream.IsLive())
	{
		glutFullScreen();
	}
	RegisterCallbacks();
	glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
}
} // namespace

const SceneContext& ShellContext()
{
	static const ShellSceneContext context;
	return context;
}

void OnDisplay()
{
	RunFrame(true);
}

// How long until the frame clock ticks again.
int NextTickMs()
{
	const Clock::time_point now = Clock::now();
	if (frameWaits)
	{
		return PartnerPollMs;
	}
	if (onlineSession.IsCatchingUp())
	{
		return 0;
	}
	if (!onlineSession.IsPlaying())
	{
		gridTick = now;
		return FramePeriodMs;
	}
	// A frame late on the grid runs at once, without a burst to catch up.
	gridTick = std::max(gridTick + LockstepPeriod, now);
	return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(gridTick - now).count());
}

void OnTimer(int)
{
	if (stopSignal != 0)
	{
		const int signal = stopSignal;
		inputStream.EndSession(*sceneHost.Scene());
		std::signal(signal, SIG_DFL);
		std::raise(signal);
	}
	if (mainWindow == 0)
	{
		return;
	}
	onlineSession.Service();
	onlineSession.DeliverNotices();
	if (onlineSession.FailedStatus() != 0)
	{
		Quit(onlineSession.FailedStatus());
	}
	if (onlineSession.HasLeft())
	{
		Quit(0);
	}
	glutSetWindow(mainWindow);
	// A replay or lockstep runs its frames whether or not the window can be
	// seen (a recording may have made it tiny); freeglut draws only visible
	// ones. So does a host whose partner waits for the frame that ends
	// before the welcome.
	if (onlineSession.IsCatchingUp())
	{
		CatchUp();
	}
	else if (!inputStream.IsLive() || onlineSession.WelcomeDue())
	{
		OnDisplay();
		onlineSession.SendFrame();
	}
	else
	{
		frameWaits = false;
		glutPostRedisplay();
	}
	glutTimerFunc(NextTickMs(), OnTimer, 0);
}

void OnFastIdle()
{
	if (mainWindow == 0)
	{
		return;
	}
	if (inputStream.IsLive())
	{
		// The replay has handed over to the player: back to real time.
		glutIdleFunc(nullptr);
		glutTimerFunc(FramePeriodMs, OnTimer, 0);
		return;
	}
	glutSetWindow(mainWindow);
	OnDisplay();
}

void OnKey(unsigned char key, int x, int y)
{
	inputRouter.Key(key, x, y);
}

void OnKeyUp(unsigned char key, int x, int y)
{
	inputRouter.KeyUp(key, x, y);
}

void OnSpecialKey(int key, int x, int y)
{
	inputRouter.SpecialKey(key, x, y);
}

void OnMouseButton(int button, int state, int x, int y)
{
	inputRouter.MouseButton(button, state, x, y);
}

void OnMouseMotion(int x, int y)
{
	inputRouter.MouseMotion(x, y);
}

void OnMouseWheel(int, int direction, int x, int)
{
	inputRouter.MouseWheel(direction, x);
}

void OnReshape(int w, int h)
{
	inputRouter.Reshape(w, h);
}

bool StartRecording(const std::string& path, int row, bool keyboardPlay, std::string* error)
{
	const ReplayLog::Header header{ContestVersion, row, view.WindowWidth(), view.WindowHeight(), keyboardPlay};
	if (!replay.Record(path, header, error))
	{
		return false;
	}
	inputStream.AddListener(&replay);
	return true;
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

int RunShell(int argc, char** argv, const SceneEntry* registry, InputDevices& devices)
{
	sceneHost.UseRegistry(registry);
	sceneHost.UseDevices(&devices);
	inputRouter.SetSessionKeys(SessionKey);
	const CommandLine commandLine = ParseCommandLine(&argc, argv);
	switch (commandLine.action)
	{
	case CommandLine::Help:
		PrintUsage(argv[0]);
		return 0;
	case CommandLine::ListScenes:
		for (int i = 0; i < sceneHost.Count(); ++i)
		{
			std::printf("%2d  %s\n", i, registry[i].name);
		}
		return 0;
	case CommandLine::Error:
		std::fprintf(stderr, "%s: %s\n", argv[0], commandLine.error.c_str());
		return 2;
	case CommandLine::Run:
		break;
	}
	const std::string display = DisplayName(argc, argv);
	if (!DisplayOpens(display))
	{
		std::fprintf(stderr, "%s: no display could be opened (%s); the game needs an X server\n", argv[0],
			display.empty() ? "DISPLAY is not set" : ("DISPLAY is " + display).c_str());
		return 1;
	}
	int row = commandLine.sceneIndex;
	bool keyboardPlay = commandLine.keyboardPlay;
	if (!StartReplay(commandLine, argv[0], &row, &keyboardPlay))
	{
		return 2;
	}
	const ProgramStart start(devices, keyboardPlay, argv[0]);
	if (commandLine.online && !StartOnline(commandLine, devices, argv[0], &row))
	{
		return 1;
	}
	if (!commandLine.recordPath.empty())
	{
		// The recording is finished in the frame loop, then the signal ends
		// the program as usual.
		std::signal(SIGINT, OnStopSignal);
		std::signal(SIGTERM, OnStopSignal);
	}
	sceneHost.UseContext(&ShellContext());
	sceneHost.Start(row);
	OpenWindow(&argc, argv);
	if (commandLine.panelOpen)
	{
		inputRouter.SetPanelOpen(true);
	}
	if (commandLine.fast)
	{
		glutIdleFunc(OnFastIdle);
	}
	else
	{
		glutTimerFunc(FramePeriodMs, OnTimer, 0);
	}
	glutMainLoop();
	return closedStatus;
}
