#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
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

namespace {

bool Failed(std::string* error) {
  *error = errno == EEXIST ? "File exists" : std::strerror(errno);
  return false;
}

}  // namespace

bool CreateNewFile(const std::string& path, std::string* error, std::string_view bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
  if (fd < 0) return Failed(error);
  bool written = true;
  for (size_t at = 0; written && at < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
    written = n > 0 || (n < 0 && errno == EINTR);
    if (n > 0) at += static_cast<size_t>(n);
  }
  if (!written) {
    Failed(error);
    close(fd);
    unlink(path.c_str());
    return false;
  }
  close(fd);
  return true;
}

bool RenameNew(const std::string& from, const std::string& to, std::string* error) {
#ifdef RENAME_NOREPLACE
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return Failed(error);
#endif
  // Where the system cannot rename without replacing: a second link, which
  // refuses an existing name, then the first one removed.
  if (link(from.c_str(), to.c_str()) != 0) return Failed(error);
  unlink(from.c_str());
  return true;
}

bool MakeFolder(const std::string& path, std::string* error) {
  if (mkdir(path.c_str(), 0700) == 0) return true;
  if (errno != EEXIST) return Failed(error);
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return Failed(error);
  if (S_ISDIR(st.st_mode)) return true;
  errno = ENOTDIR;
  return Failed(error);
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool StdinIsConsole() { return isatty(0) == 1; }

}  // namespace platform
