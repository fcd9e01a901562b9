#include "app/SceneRegistry.h"
#include "framework/shell/Shell.h"
#include "game/GameDevices.h"

int main(int argc, char** argv)
{
	return RunShell(argc, argv, sceneEntries, gameDevices);
}
