#pragma once

#include <string>

#include "framework/shell/ControlPanel.h"
#include "framework/shell/InputRouter.h"
#include "framework/input/ProgramStart.h"
#include "framework/core/SceneHost.h"
#include "framework/core/Test.h"
#include "framework/shell/View.h"

// The application shell: the window and its frame loop over the scene host,
// the view and the input router. Everything runs on the windowing library's
// one thread.

// The program's version, as recordings name it: the commit it was built
// from.
extern const char* const ContestVersion;

// The frame timer's period: about 60 frames a second.
constexpr int FramePeriodMs = 16;

// The window's freeglut id; 0 once the window manager has closed it.
extern int mainWindow;
extern SceneHost sceneHost;
extern View view;
// The side panel (F2) with every scene and setting.
extern ControlPanel controlPanel;
extern InputRouter inputRouter;

// One frame: the frame's inputs, the scene's step, the panel, the picture.
void OnDisplay();
void OnTimer(int value);
// With --replay --fast: a frame whenever there is nothing else to do.
void OnFastIdle();
// The window's handlers, handing each event to the input router.
void OnKey(unsigned char key, int x, int y);
void OnKeyUp(unsigned char key, int x, int y);
void OnSpecialKey(int key, int x, int y);
void OnMouseButton(int button, int state, int x, int y);
void OnMouseMotion(int x, int y);
void OnMouseWheel(int wheel, int direction, int x, int y);

// The panel and the view follow a window of w x h pixels, with no word to
// the input stream (the window's own reshape handler offers its size).
void OnReshape(int w, int h);

// Starts recording this session, which begins with registry row `row`, to
// path: the header names this program's version and the view's window
// size, and the recorder hears every input from now on. False, with the
// reason, when the file cannot be written.
bool StartRecording(const std::string& path, int row, bool keyboardPlay, std::string* error);

// What a scene run by the shell is given.
const SceneContext& ShellContext();

// Hands the current window's events to the handlers above.
void RegisterCallbacks();

// The whole program over these scenes and devices: start-up, event loop,
// exit status.
int RunShell(int argc, char** argv, const SceneEntry* registry, InputDevices& devices);
