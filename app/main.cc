#include "app/Driver.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
  platform::IgnoreBrokenPipe();
  return TarvoMain(argc, argv);
}
