#include "framework/Test.h"
#include "scenes/Tiles.h"

SceneEntry sceneEntries[] = {
	{"Tiles", Tiles::Create},
	{nullptr, nullptr},
};
