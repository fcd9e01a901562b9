#include "framework/shell/App.h"

#include <GL/freeglut.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "framework/core/DataFolder.h"
#include "framework/shell/XDisplay.h"

#ifndef CONTEST_VERSION
#define CONTEST_VERSION "unknown"
#endif
const char* const ContestVersion = CONTEST_VERSION;

namespace
{
constexpr int TitleBufferSize = 32;
constexpr unsigned char EscapeKey = 27;
constexpr int RecordingFailedStatus = 1;
constexpr int NoDisplayStatus = 1;
constexpr int UsageStatus = 2;
constexpr int OnlineFailedStatus = 1;

// A recording's signal to stop, set by its handler and acted on by the
// frame loop, where the file can be finished safely.
volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal)
{
	stopSignal = signal;
}

} // namespace

App::App(const SceneEntry* registry, InputDevices& devices, ProgramText text)
	: devices(devices), text(text), scenes(stream), view(scenes.settings, area),
	  router(view, scenes, panel, area, stream),
	  frames(scenes, stream, router, panel, view, online, player, *this), onlineRecording(recorder, stream)
{
	scenes.UseRegistry(registry);
	scenes.UseDevices(&devices);
	router.SetSessionKeys([this](unsigned char key) { SessionKey(key); });
}

App::~App()
{
	End(0);
	StopDevices();
	WindowCallbacks::Unregister(this);
}

int App::Run(int argc, char** argv)
{
	kept.Load(text.keptItems, argv[0]);
	const CommandLine commandLine = ParseCommandLine(&argc, argv, scenes, kept.LastJoin());
	switch (commandLine.action)
	{
	case CommandLine::Help:
		std::printf(text.usage, argv[0], OnlineSession::DefaultPort);
		return 0;
	case CommandLine::ListScenes:
		for (int i = 0; i < scenes.Count(); ++i)
		{
			std::printf("%2d  %s\n", i, scenes.Registry()[i].name);
		}
		return 0;
	case CommandLine::Error:
		std::fprintf(stderr, "%s: %s\n", argv[0], commandLine.error.c_str());
		return UsageStatus;
	case CommandLine::Run:
		break;
	}
	// Found before anything loads, so that data that is nowhere is said at
	// the start, even by a checked replay, which loads none.
	DataFolder::Program();
	if (commandLine.check)
	{
		return RunChecked(commandLine, argv[0]);
	}
	const int status = StartedStatus(argc, argv, commandLine);
	if (status != 0)
	{
		return status;
	}
	if (commandLine.fast)
	{
		WindowCallbacks::SetIdle(true);
	}
	else
	{
		WindowCallbacks::TickIn(FramePeriodMs);
	}
	glutMainLoop();
	return exitStatus;
}

// Everything before the event loop: 0 once the window is open and the first
// scene runs, else the exit status, said on stderr.
int App::StartedStatus(int argc, char** argv, CommandLine commandLine)
{
	kept.FillStart(&commandLine);
	const std::string display = DisplayName(argc, argv);
	if (!DisplayOpens(display))
	{
		std::fprintf(stderr, "%s: no display could be opened (%s); the game needs an X server\n", argv[0],
			display.empty() ? "DISPLAY is not set" : ("DISPLAY is " + display).c_str());
		return NoDisplayStatus;
	}
	int row = commandLine.sceneIndex;
	bool keyboardPlay = commandLine.keyboardPlay;
	if (!StartReplay(commandLine, argv[0], &row, &keyboardPlay))
	{
		return UsageStatus;
	}
	StartDevices(keyboardPlay, argv[0]);
	if (commandLine.online && !StartOnline(commandLine, argv[0], &row))
	{
		return OnlineFailedStatus;
	}
	if (!commandLine.recordPath.empty())
	{
		// The recording is finished in the frame loop, then the signal ends
		// the program as usual.
		std::signal(SIGINT, OnStopSignal);
		std::signal(SIGTERM, OnStopSignal);
	}
	StartScene(row);
	// A replay keeps the recorded window's size, which its own window lines
	// change as they did.
	const bool fullScreen = stream.IsLive() && !commandLine.window;
	kept.Start(scenes, router, commandLine.panelOpen, fullScreen);
	char title[TitleBufferSize];
	std::snprintf(title, sizeof(title), "Box2D Version %d.%d.%d", b2_version.major, b2_version.minor,
		b2_version.revision);
	OpenWindow(&argc, argv, title, fullScreen);
	if (commandLine.panelOpen)
	{
		router.SetPanelOpen(true);
	}
	return 0;
}

// A recording checked with no window: its frames run undrawn, one after
// another, and the report is a windowed replay's.
int App::RunChecked(const CommandLine& commandLine, const char* program)
{
	GoWindowless();
	int row = commandLine.sceneIndex;
	bool keyboardPlay = commandLine.keyboardPlay;
	if (!StartReplay(commandLine, program, &row, &keyboardPlay))
	{
		return UsageStatus;
	}
	Begin(row, keyboardPlay, program);
	// A recording cut short hands over to the players after its last frame,
	// and there are none here: the session ends there, as a window closed
	// then would end it.
	while (scenes.Scene() != nullptr && !stream.IsLive())
	{
		Display();
	}
	// The recording's end, or a recorded Escape, has ended the session
	// already.
	if (scenes.Scene() != nullptr)
	{
		exitStatus = End(player.Check().ExitStatus());
	}
	return exitStatus;
}

void App::Begin(int row, bool keyboardPlay, const char* program)
{
	StartDevices(keyboardPlay, program);
	StartScene(row);
}

void App::StartDevices(bool keyboardPlay, const char* program)
{
	const ProgramStart::Audio audio = area.IsWindowless() ? ProgramStart::Audio::Off : ProgramStart::Audio::On;
	start = std::make_unique<ProgramStart>(devices, stream, keyboardPlay, program, audio);
}

void App::StartScene(int row)
{
	scenes.UseContext(this);
	scenes.Start(row);
}

void App::StopDevices()
{
	start.reset();
}

int App::End(int status)
{
	if (scenes.Scene() != nullptr)
	{
		stream.EndSession(*scenes.Scene());
		if (player.Played())
		{
			player.Check().Report(stdout);
			status = player.Check().ExitStatus();
		}
		status = recorder.WriteFailed() ? RecordingFailedStatus : status;
		scenes.End();
		panel.Shutdown();
	}
	return status;
}

void App::OpenWindow(int* argc, char** argv, const char* title, bool fullScreen)
{
	glutInit(argc, argv);
	glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
	glutInitWindowSize(view.WindowWidth(), view.WindowHeight());
	window = glutCreateWindow(title);
	if (fullScreen)
	{
		glutFullScreen();
	}
	WindowCallbacks::Register(this);
	glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
}

void App::TextDrawn(int x, int y, const char* line) const
{
	if (textListener != nullptr)
	{
		textListener->Heard(x, y, line);
	}
}

Camera* App::WindowCamera() const
{
	return area.IsWindowless() ? nullptr : const_cast<View*>(&view);
}

void App::Quit(int status)
{
	exitStatus = End(status);
	// Without a window there is no event loop to leave.
	if (area.IsWindowless())
	{
		return;
	}
	// Close the window while the GL driver is whole: at exit the driver's
	// code generator may be torn down before freeglut closes the display,
	// and the process would crash on its way out. Its close handler, called
	// from here, finds the session over.
	const int closing = window;
	window = 0;
	if (closing != 0)
	{
		glFinish();
		glutDestroyWindow(closing);
	}
	glutLeaveMainLoop();
	std::fflush(stdout);
}

void App::WindowClosed()
{
	// The window manager closed the window: freeglut destroys it after this
	// and the event loop returns. The session ends while the window is
	// still here, and a timer due in the same turn of the loop finds no
	// window to draw (freeglut would end the program for it).
	if (window == 0)
	{
		return;
	}
	exitStatus = End(0);
	window = 0;
	glutLeaveMainLoop();
}

void App::SessionKey(unsigned char key)
{
	// Online, the partner is told, and the program goes once both have
	// played the last frame; a second Escape goes at once.
	if (key == EscapeKey && !online.Leave())
	{
		Quit(0);
		return;
	}
	// Only a replay: a partner catching up is not held by it.
	if (key == 'p' && player.IsPlaying())
	{
		player.ToggleHeld();
	}
}

void App::Display()
{
	if (frames.RunFrame(!area.IsWindowless()) == FrameLoop::Result::SessionOver)
	{
		Quit(player.Check().ExitStatus());
		return;
	}
	if (window != 0)
	{
		kept.FrameDone(scenes, router, panel.IsOpen(), glutGet(GLUT_FULL_SCREEN) != 0);
	}
}

void App::Tick()
{
	if (stopSignal != 0)
	{
		const int signal = stopSignal;
		stream.EndSession(*scenes.Scene());
		std::signal(signal, SIG_DFL);
		std::raise(signal);
	}
	if (window == 0)
	{
		return;
	}
	online.Service();
	online.DeliverNotices();
	if (online.FailedStatus() != 0 || online.HasLeft())
	{
		Quit(online.FailedStatus());
		return;
	}
	glutSetWindow(window);
	// A replay or lockstep runs its frames whether or not the window can be
	// seen (a recording may have made it tiny); freeglut draws only visible
	// ones. So does a host whose partner waits for the frame that ends
	// before the welcome.
	if (online.IsCatchingUp())
	{
		if (frames.CatchUp() == FrameLoop::Result::SessionOver)
		{
			Quit(player.Check().ExitStatus());
			return;
		}
	}
	else if (!stream.IsLive() || online.WelcomeDue())
	{
		Display();
		if (window == 0)
		{
			return;
		}
		online.SendFrame();
	}
	else
	{
		frames.StopWaiting();
		glutPostRedisplay();
	}
	WindowCallbacks::TickIn(frames.NextTickMs());
}

void App::FastIdle()
{
	if (window == 0)
	{
		return;
	}
	if (stream.IsLive())
	{
		// The replay has handed over to the player: back to real time.
		WindowCallbacks::SetIdle(false);
		WindowCallbacks::TickIn(FramePeriodMs);
		return;
	}
	glutSetWindow(window);
	Display();
}

bool App::StartRecording(const std::string& path, int row, bool keyboardPlay, std::string* error)
{
	const ReplayLog::Header header{ContestVersion, row, view.WindowWidth(), view.WindowHeight(), keyboardPlay};
	if (!recorder.Record(path, header, error))
	{
		return false;
	}
	stream.AddListener(&recorder);
	return true;
}

bool App::StartReplay(const CommandLine& commandLine, const char* program, int* row, bool* keyboardPlay)
{
	std::string error;
	if (!commandLine.replayPath.empty())
	{
		ReplayLog log;
		if (!log.Read(commandLine.replayPath, scenes.Count(), &error))
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
		player.Play(std::move(log), commandLine.replayPath, commandLine.rewrite, ContestVersion);
		stream.SetSource(&player);
	}
	// An online game is recorded once it starts.
	if (!commandLine.recordPath.empty() && !commandLine.online &&
		!StartRecording(commandLine.recordPath, *row, *keyboardPlay, &error))
	{
		std::fprintf(stderr, "%s: %s\n", program, error.c_str());
		return false;
	}
	return true;
}
