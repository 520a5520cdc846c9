// What main does in both programs before the program's own code runs.
#pragma once

namespace platform {

// Puts the null device on closed standard descriptors
// (SecureStandardDescriptors), ignores the broken-pipe signal
// (IgnoreBrokenPipe), reads the command line as
// UTF-8 arguments (CommandLineArguments) and returns programMain's result for
// them; argv[argc] is null, as in main.
int RunProgram(int argc, char** argv, int (*programMain)(int argc, char** argv));

}  // namespace platform
