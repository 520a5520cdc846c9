#include <errno.h>
#include <fcntl.h>
#include <unistd.h>
#include <cstring>
#include <ctime>

#include "platform/Guarded.h"

namespace platform {

std::string LocalIsoStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return std::string();
  char stamp[64];
  const size_t length = std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S%z", &local);
  return std::string(stamp, length);
}

bool CreateNewFile(const std::string& path, std::string* error) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
  if (fd < 0) {
    *error = errno == EEXIST ? "File exists" : std::strerror(errno);
    return false;
  }
  close(fd);
  return true;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool StdinIsConsole() { return isatty(0) == 1; }

}  // namespace platform
