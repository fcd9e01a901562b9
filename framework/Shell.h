#pragma once

#include <box2d/box2d.h>

#include <string>

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
extern int mainWindow;
extern int sceneIndex;
extern int sceneCount;
extern SceneEntry* currentEntry;
extern Test* currentScene;
extern bool rightMouseDown;
extern b2Vec2 lastPanPoint;
extern Settings settings;
// False when the audio device could not be opened: the game runs silent.
extern bool audioOpen;
// Where the mouse handler reads the keyboard modifiers (freeglut's query).
extern int (*modifierQuery)();

// Re-projects the camera for a window of w x h pixels.
void OnReshape(int w, int h);
// World point under window pixel (x, y), y downward.
b2Vec2 ScreenToWorld(int x, int y);
void OnDisplay();
void OnTimer(int value);
void OnKey(unsigned char key, int x, int y);
void OnKeyUp(unsigned char key, int x, int y);
void OnSpecialKey(int key, int x, int y);
void OnMouseButton(int button, int state, int x, int y);
void OnMouseWheel(int wheel, int direction, int x, int y);
void OnMouseMotion(int x, int y);

// Counts the registry rows and builds the scene at sceneIndex (clamped).
void StartScene();

// What the command line asks for.
struct CommandLine
{
	enum Action
	{
		Run,
		ListScenes,
		Help,
		Error,
	};
	Action action = Run;
	int sceneIndex = 0;
	// Start the game with keyboard play on.
	bool keyboardPlay = false;
	std::string error;
};

// Reads and removes the shell's own options from argv, leaving the
// windowing library's options in place.
CommandLine ParseCommandLine(int* argc, char** argv);
void PrintUsage(const char* program);

// The whole program: start-up, event loop, exit status.
int RunShell(int argc, char** argv);
