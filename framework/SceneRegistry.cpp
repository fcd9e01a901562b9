#include "framework/Test.h"
#include "game/Contest.h"
#include "scenes/Tiles.h"

SceneEntry sceneEntries[] = {
	{"Contest", Contest::Create},
	{"Tiles", Tiles::Create},
	{nullptr, nullptr},
};
