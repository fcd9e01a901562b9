#include "game/GameGlobals.h"

uint32_t KillCount = 0;
bool GodMode = false;

int soundEnemyHit = -1;
int soundFireball = -1;
int soundGhostFix = -1;
int soundEnemyDeath = -1;
int soundBounce = -1;
int soundP1 = -1;
int soundP2 = -1;
int soundMace = -1;
int soundArrow = -1;
