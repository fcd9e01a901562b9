#pragma once

#include "framework/shell/App.h"

// The one app of a test process, built as main builds it (the game's scenes
// and devices), on first use. Its devices start only when a test starts
// them (the game harness does).
App& TestApp();
