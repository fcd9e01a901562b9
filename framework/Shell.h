#pragma once

#include <box2d/box2d.h>

#include <string>

#include "framework/CommandLine.h"
#include "framework/ControlPanel.h"
#include "framework/Settings.h"
#include "framework/Test.h"

// The application shell: window, camera, frame loop and input routing.
// Everything runs on the windowing library's one thread.

// Camera: zoom 1 shows this many world units of height.
constexpr float ViewHeightAtZoomOne = 50.0f;
constexpr float MinKeyZoom = 0.02f;
constexpr float MaxKeyZoom = 20.0f;
constexpr float PanStep = 0.5f;
constexpr float WheelZoomFactor = 1.1f;

// The program's version, as recordings name it: the commit it was built
// from.
extern const char* const ContestVersion;

extern int windowWidth;
extern int windowHeight;
extern int framePeriodMs;
extern float settingsHz;
extern float viewZoom;
// Drawing area inside the window, refreshed at each reshape.
extern int viewportX;
extern int viewportY;
extern int viewportWidth;
extern int viewportHeight;
// The window's freeglut id; 0 once the window manager has closed it.
extern int mainWindow;
extern int sceneIndex;
extern int sceneCount;
// The rows the shell offers, ending with a row whose create is null.
extern const SceneEntry* sceneRegistry;
extern const SceneEntry* currentEntry;
extern Test* currentScene;
extern bool rightMouseDown;
extern b2Vec2 lastPanPoint;
extern Settings settings;
// False when the audio device could not be opened: the game runs silent.
extern bool audioOpen;
// Where the mouse handler reads the keyboard modifiers (freeglut's query).
extern int (*modifierQuery)();
// The side panel (F2) with every scene and setting.
extern ControlPanel controlPanel;

// Re-projects the camera for a window of w x h pixels.
void OnReshape(int w, int h);
// freeglut's reshape: a recording notes the window's new size; then as
// OnReshape.
void OnWindowReshape(int w, int h);
// World point under window pixel (x, y), y downward.
b2Vec2 ScreenToWorld(int x, int y);
void OnDisplay();
void OnTimer(int value);
// With --replay --fast: a frame whenever there is nothing else to do.
void OnFastIdle();
void OnKey(unsigned char key, int x, int y);
void OnKeyUp(unsigned char key, int x, int y);
void OnSpecialKey(int key, int x, int y);
void OnSpecialKeyUp(int key, int x, int y);
void OnMouseButton(int button, int state, int x, int y);
void OnMouseWheel(int wheel, int direction, int x, int y);
void OnMouseMotion(int x, int y);
// Motion with no button held: only the control panel hears it.
void OnPassiveMotion(int x, int y);

// Hands the current window's events to the handlers above.
void RegisterCallbacks();
// Takes the registry the shell offers and counts its rows.
void UseRegistry(const SceneEntry* registry);
// Counts the registry rows and builds the scene at sceneIndex (clamped).
void StartScene();
// Builds registry row `row` (wrapping at both ends) in place of the running
// scene, with the camera back at its home view. Nothing held carries over:
// pad buttons, keyboard play's keys, a mouse drag or a pan.
void SwitchScene(int row);
// Rebuilds the running scene; the camera stays.
void RestartScene();
void SetPanelOpen(bool open);
// Carries out what the user changed in the control panel.
void ApplyPanelChange(const PanelChange& change);

// The whole program over these scenes: start-up, event loop, exit status.
int RunShell(int argc, char** argv, const SceneEntry* registry);
