#include <string>
#include <vector>

#include "app/Driver.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
  platform::SecureStandardDescriptors();
  platform::IgnoreBrokenPipe();
  // File names reach the program as UTF-8 whatever the system's code page.
  std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(&argument[0]);
  pointers.push_back(nullptr);
  return TarvoMain(static_cast<int>(arguments.size()), pointers.data());
}
