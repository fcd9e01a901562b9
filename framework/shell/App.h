#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/core/SceneContext.h"
#include "framework/core/SceneHost.h"
#include "framework/input/InputStream.h"
#include "framework/input/ProgramStart.h"
#include "framework/net/OnlineSession.h"
#include "framework/session/ReplayPlayer.h"
#include "framework/session/ReplayRecorder.h"
#include "framework/shell/CommandLine.h"
#include "framework/shell/ControlPanel.h"
#include "framework/shell/FrameLoop.h"
#include "framework/shell/InputRouter.h"
#include "framework/shell/OnlineRecording.h"
#include "framework/shell/PlayerSettings.h"
#include "framework/shell/View.h"
#include "framework/shell/DrawingArea.h"
#include "framework/shell/WindowCallbacks.h"

// The program's version, as recordings name it: the commit it was built
// from.
extern const char* const ContestVersion;

// What the program that runs the scenes says of itself: the scenes, the
// devices beside the window, and the text --help prints (a printf format
// taking the program's name and the online port).
struct ProgramText
{
	const char* usage;
	// The scene items a player's settings keep from one start to the next,
	// by panel key, with their ranges.
	std::vector<SettingsFile::Key> keptItems;
};

// The program: the one owner of the window, the view, the control panel,
// the input router, the scene host, the input stream, the recorder or
// player and the online session. main builds one and runs it; the replay
// bot, the benchmark and the test harness build one too and drive it their
// own way. Everything runs on the windowing library's one thread.
class App : public SceneContext, public WindowEvents
{
public:
	App(const SceneEntry* registry, InputDevices& devices, ProgramText text = {"", {}});
	~App() override;
	App(const App&) = delete;
	App& operator=(const App&) = delete;

	// The whole program: the command line, the start-up, the event loop.
	// The exit status, on every way out, after the session has ended and
	// the scene and the window are gone.
	int Run(int argc, char** argv);

	// The start-up every runner of the scenes shares: the devices and the
	// audio, then the first scene (registry row `row`), built with this app
	// as its context. No window is needed.
	// No window at all, from now on: the scenes step undrawn and nothing
	// asks the window system or the audio device. Before Begin.
	void GoWindowless() { area.GoWindowless(); }
	void Begin(int row, bool keyboardPlay, const char* program);
	// Begin's two halves, for a runner with something to do between them
	// (a bot plugs its pads in).
	void StartDevices(bool keyboardPlay, const char* program);
	void StartScene(int row);
	// The session ends (a recording gets its end line, a replay says how it
	// went), then the scene and the panel's GL objects: the exit status,
	// status or the replay's, or 1 when the recording could not be written.
	// Safe to call more than once.
	int End(int status);
	// Closes the audio and stops the devices, after End; the app's end does
	// it too.
	void StopDevices();

	// Opens the window in the view's size with this title, full screen or
	// not, its events handed to this app.
	void OpenWindow(int* argc, char** argv, const char* title, bool fullScreen);
	// The window's freeglut id; 0 before it opens and once it is gone.
	int WindowId() const { return window; }

	// Starts recording this session, which begins with registry row `row`,
	// to path: the header names this program's version and the view's
	// window size, and the recorder hears every input from now on. False,
	// with the reason, when the file cannot be written.
	bool StartRecording(const std::string& path, int row, bool keyboardPlay, std::string* error);

	SceneHost& Scenes() { return scenes; }
	View& GetView() { return view; }
	ControlPanel& Panel() { return panel; }
	InputRouter& Router() override { return router; }
	InputStream& Stream() { return stream; }
	OnlineSession& Online() { return online; }
	ReplayRecorder& Recorder() { return recorder; }
	ReplayPlayer& Player() { return player; }
	FrameLoop& Frames() { return frames; }

	// What a scene asks of the program it runs in.
	Camera* WindowCamera() const override;
	int LocalPadFor(int slot) const override { return stream.LocalPadFor(slot); }
	bool DevicesLive() const override { return !player.IsPlaying(); }
	int KeyModifiers() const override { return router.KeyModifiers(); }
	bool Draws() const override { return !area.IsWindowless() && frames.Draws(); }
	void TextDrawn(int x, int y, const char* line) const override;
	// Who hears the text drawn from now on; null: nobody.
	void HearText(TextListener* listener) { textListener = listener; }

	// The window's events. Display runs a frame, drawn unless windowless.
	void Display() override;
	void Tick() override;
	void FastIdle() override;
	void WindowClosed() override;

private:
	// Reads a recording to play, or starts one, as the command line asks.
	// False, said on stderr, when the file cannot be read or written.
	bool StartReplay(const CommandLine& commandLine, const char* program, int* row, bool* keyboardPlay);
	bool StartOnline(const CommandLine& commandLine, const char* program, int* row);
	void Noticed(const OnlineSession::Notice& notice);
	// Escape ends the session; while a replay plays, 'p' holds it.
	void SessionKey(unsigned char key);
	// Ends the session and leaves the event loop with this exit status.
	void Quit(int status);
	int StartedStatus(int argc, char** argv, CommandLine commandLine);
	int RunChecked(const CommandLine& commandLine, const char* program);

	InputDevices& devices;
	ProgramText text;
	InputStream stream;
	SceneHost scenes;
	DrawingArea area;
	View view;
	ControlPanel panel;
	InputRouter router;
	ReplayRecorder recorder;
	ReplayPlayer player;
	OnlineSession online;
	FrameLoop frames;
	std::unique_ptr<ProgramStart> start;
	int window = 0;
	// The exit status Run returns once the event loop has ended.
	int exitStatus = 0;
	OnlineRecording onlineRecording;
	PlayerSettings kept;
	TextListener* textListener = nullptr;
};
