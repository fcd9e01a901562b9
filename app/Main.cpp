#include <SDL/SDL.h>

#include "app/SceneRegistry.h"
#include "framework/Shell.h"

int main(int argc, char** argv)
{
	return RunShell(argc, argv, sceneEntries);
}
