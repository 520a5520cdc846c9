// Libraries whose functions a program finds by name at run time, and the
// facts about a library file that tell why one cannot be used.
//
// On Windows the programs load their libraries themselves, each from one file
// of their own folder. Elsewhere the system links them with the program at
// its start, and the library is the program itself: its symbols are those of
// every library it was linked with or that was preloaded into it.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// A function as a library exports it: null when absent.
using LibrarySymbol = void (*)();

class DynamicLibrary {
 public:
  // The file at `path` alone (no search of other folders), or, for an empty
  // path, the program itself. The library stays loaded until the process
  // ends: the functions found in it may be called at any time.
  explicit DynamicLibrary(const std::string& path);

  bool IsOpen() const { return handle_ != nullptr; }
  // Why the file did not load: the system's code (Windows; 0 elsewhere) and
  // its text where the system gives one (POSIX).
  unsigned long Error() const { return error_; }
  const std::string& ErrorText() const { return errorText_; }

  // The symbol exported under exactly `name`, or null.
  LibrarySymbol Find(const std::string& name) const;

  // The full path of the library's file: on Windows the file loaded (or the
  // program's own); elsewhere the file that gives `symbol`, which for the
  // program itself may be any library linked with it or preloaded. Empty when
  // the system cannot tell.
  std::string File(const std::string& symbol) const;

 private:
  void* handle_ = nullptr;
  bool program_ = false;
  unsigned long error_ = 0;
  std::string errorText_;
};

// Where the program loads the library `fileName` from: that file in the
// program's own folder where the programs load their libraries themselves
// (Windows); empty where the system links it with the program (elsewhere).
std::string RunTimeLibraryPath(const std::string& fileName);

// Whether anything exists under `path`.
bool PathExists(const std::string& path);

// The first `size` bytes of the file at `path` (fewer if it is shorter);
// empty if it cannot be read.
std::string FileHead(const std::string& path, size_t size);

// "major.minor.build.revision" of the file's version resource; empty if it
// has none (files carry one on Windows only).
std::string FileVersion(const std::string& path);

// The FileDescription text of the file's version resource, in UTF-8, in its
// first language; empty if it has none (files carry one on Windows only).
std::string FileDescription(const std::string& path);

}  // namespace platform
