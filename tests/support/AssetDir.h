#pragma once

// Makes the build folder, where the game's assets are generated, the
// working directory, as it is when the game runs.
void EnterAssetDir();
