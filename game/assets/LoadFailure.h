#pragma once

#include <string>

// Says on standard error that a file the game needs did not load, and the
// loader's reason: once per file and run, however often the file is asked
// for again (a missing image every frame, the sounds at every restart).
// Nothing when no data folder was found: that was said once already.
void ReportLoadFailure(const std::string& path, const char* reason);
