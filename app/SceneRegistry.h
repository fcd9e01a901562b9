#pragma once

#include "framework/Test.h"

// Every scene in display order, the game first, ending with a row whose
// create is null.
extern SceneEntry sceneEntries[];
