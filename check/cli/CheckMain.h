// TarvoCheck: CHECK a file, PLAN an import, DIFF two files, show the client
// LIBRARY. The command
// words and /JSON are recognised in any position and letter case.
#pragma once

#include "check/text/CheckSettings.h"

CheckSettings ParseCheckArguments(int argc, const char* const* argv);

extern const char kCheckHelp[];

// The whole program; returns the exit code (0 nothing to report, 1
// something to report, 2 the file would not import as written, -1
// TarvoCheck could not run).
int CheckMain(int argc, char** argv);
