#include "check/cli/CheckMain.h"
#include "platform/ProgramMain.h"

int main(int argc, char** argv) { return platform::RunProgram(argc, argv, CheckMain); }
