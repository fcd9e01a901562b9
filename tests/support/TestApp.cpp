#include "tests/support/TestApp.h"

#include "app/SceneRegistry.h"
#include "app/Usage.h"
#include "game/GameDevices.h"

App& TestApp()
{
	// Never taken down: the test process ends with it, and the GL window
	// it draws in is closed by the window's own environment first.
	static App* const app = new App(sceneEntries, gameDevices, ProgramText{ContestUsage, ContestKeptItems});
	return *app;
}
