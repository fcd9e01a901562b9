#pragma once

// What --help prints: a printf format taking the program's name and the
// online port.
extern const char* const ContestUsage;
