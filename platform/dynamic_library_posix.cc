// POSIX: the programs are linked with their libraries, so the library they
// call is the program itself; a file is opened only when named.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DynamicLibrary.h"

namespace platform {

namespace {

// The path with every link followed, or as given when it cannot be.
std::string Resolved(const char* path) {
  char resolved[PATH_MAX];
  return realpath(path, resolved) != nullptr ? resolved : path;
}

}  // namespace

DynamicLibrary::DynamicLibrary(const std::string& path) : program_(path.empty()) {
  handle_ = dlopen(program_ ? nullptr : path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* text = dlerror();
    errorText_ = text != nullptr ? text : "";
  }
}

LibrarySymbol DynamicLibrary::Find(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<LibrarySymbol>(dlsym(handle_, name.c_str()));
}

std::string DynamicLibrary::File(const std::string& symbol) const {
  const LibrarySymbol found = Find(symbol);
  Dl_info info{};
  if (found == nullptr || dladdr(reinterpret_cast<void*>(found), &info) == 0 ||
      info.dli_fname == nullptr) {
    return std::string();
  }
  return Resolved(info.dli_fname);
}

std::string RunTimeLibraryPath(const std::string&) { return std::string(); }

bool PathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string FileHead(const std::string& path, size_t size) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::string();
  std::string head(size, '\0');
  size_t have = 0;
  while (have < size) {
    const ssize_t n = read(fd, &head[have], size - have);
    if (n <= 0) break;
    have += static_cast<size_t>(n);
  }
  close(fd);
  head.resize(have);
  return head;
}

std::string FileVersion(const std::string&) { return std::string(); }

std::string FileDescription(const std::string&) { return std::string(); }

}  // namespace platform
