// What the Windows load (file_win32.cc), save (file_save_win32.cc) and
// in-place rewrite (file_inplace_win32.cc) share: the bound target and the
// plain helpers they use.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"

namespace platform {

// The file that the load read: its final path, fixed at the load, and its
// identity. A device keeps the path it was named by.
struct SaveTarget {
  std::string path;
  bool special = false;
  bool created = false;
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
};

// The C library's or the system's code as a text in the words of
// file_error, false returned.
bool FailErrno(std::string* error, int code);
bool FailSystem(std::string* error, DWORD code);

// All of the pieces, in order, from the handle's current position.
bool WriteAll(HANDLE file, const std::vector<std::string_view>& pieces);

// Every handle that the save opens by name comes from here.
HANDLE OpenPath(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags);

// Which file a handle refers to: volume and file index.
bool Identify(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);

// The handle's file is the target's, and neither a link nor a folder.
bool SameFile(const SaveTarget& target, const BY_HANDLE_FILE_INFORMATION& info);

void Remember(SaveTarget* target, const BY_HANDLE_FILE_INFORMATION& info);

// Rewrites the target through its own name, for a file that cannot be
// replaced (file_inplace_win32.cc).
bool RewriteInPlace(const SaveTarget& target, const std::vector<std::string_view>& pieces,
                    std::string* error);

}  // namespace platform
