// What the checked import asks of the system about being stopped by the
// person at the console: Ctrl-C, Ctrl-Break or closing the console window
// (Windows), SIGINT, SIGTERM or SIGHUP (POSIX). The first one is only noted,
// so that the program ends at a point of its own choosing; a second one ends
// the program at once. And how an argument is written so that the console's
// command interpreter passes it unchanged (cmd on Windows, the POSIX shell
// elsewhere).
#pragma once

#include <string>

namespace platform {

// Notes interrupts from now on. With interruptsReads, a read of standard
// input that waits for a person returns (as at an error) when the interrupt
// comes; without it, reads and writes go on as if none came. Called again,
// it changes only that choice.
void CatchInterrupts(bool interruptsReads);

// True once an interrupt has been noted.
bool Interrupted();

// The argument as the console's command interpreter takes it back as one
// argument: unchanged when it holds only characters the interpreter passes
// as they are, else quoted.
std::string QuotedForConsole(const std::string& argument);

}  // namespace platform
