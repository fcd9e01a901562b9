#include "game/GameGlobals.h"

uint32_t KillCount = 0;
bool GodMode = false;
