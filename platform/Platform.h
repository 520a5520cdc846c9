// The only place that knows Windows from POSIX. Everything else in the
// program calls these procedures and never branches on the platform itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// The generation stamp: the local wall-clock time formatted with the user's
// default short date and default time formats, "date time". A part whose
// formatting fails is left out; both failing gives an empty text. Numbers
// elsewhere in the program keep the "C" conventions.
std::string LocalTimeStamp();

// True when standard error is an interactive terminal.
bool StderrIsTerminal();

// Called once at the start of the program: a write to a closed pipe or socket
// (standard output read by `head`, for example) fails with an error instead of
// ending the process, so that a run ends with its own exit code. Nothing to do
// on Windows.
void IgnoreBrokenPipe();

}  // namespace platform
