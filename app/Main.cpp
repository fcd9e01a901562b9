#include "app/SceneRegistry.h"
#include "app/Usage.h"
#include "framework/shell/App.h"
#include "game/GameDevices.h"

int main(int argc, char** argv)
{
	App app(sceneEntries, gameDevices, ProgramText{ContestUsage, ContestKeptItems});
	return app.Run(argc, argv);
}
