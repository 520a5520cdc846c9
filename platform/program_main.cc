#include "platform/ProgramMain.h"

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

int RunProgram(int argc, char** argv, int (*programMain)(int argc, char** argv)) {
  // Before anything is opened: no file or connection may take the number of
  // a closed standard stream.
  SecureStandardDescriptors();
  IgnoreBrokenPipe();
  // File names reach the program as UTF-8 whatever the system's code page.
  std::vector<std::string> arguments = CommandLineArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(&argument[0]);
  pointers.push_back(nullptr);
  return programMain(static_cast<int>(arguments.size()), pointers.data());
}

}  // namespace platform
