// What the POSIX load (file_posix.cc) and save (file_save_posix.cc) share:
// the bound target and the plain helpers both use.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"

namespace platform {

struct SaveTarget {
  // A regular file: its folder, open, and its name there once every link
  // was followed; `held` is the file read (or created), kept open from the
  // load to the save. While it is open its inode cannot be freed, so no
  // file put under its name meanwhile can have its device and inode numbers:
  // those numbers tell the file read from any other. After a save it is the
  // new file, held the same way.
  int folder = -1;
  std::string name;
  int held = -1;
  bool created = false;
  // A device or pipe, open for writing; -1 for a regular file.
  int special = -1;
};

// The errno code as a text in the words of file_error, false returned.
bool Fail(std::string* error, int code);
bool FailWith(std::string* error, const char* text);

void CloseQuietly(int fd);

// All of the pieces, in order, from the current offset.
bool WriteAll(int fd, const std::vector<std::string_view>& pieces);

// Rewrites the target through its own name, for a file that cannot be
// replaced (file_inplace_posix.cc).
bool RewriteInPlace(const SaveTarget& target, const std::vector<std::string_view>& pieces,
                    std::string* error);

// True when `st` describes the held file.
inline bool SameFile(const SaveTarget& target, const struct stat& st) {
  struct stat held;
  return target.held >= 0 && fstat(target.held, &held) == 0 && st.st_dev == held.st_dev &&
         st.st_ino == held.st_ino;
}

}  // namespace platform
