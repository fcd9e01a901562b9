#pragma once

#include "framework/core/Test.h"

// Every scene in display order, the game first, ending with a row whose
// create is null.
extern SceneEntry sceneEntries[];
