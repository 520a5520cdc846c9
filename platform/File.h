// Whole-file reads and safe replacement of the configuration file. No handle
// that these procedures open is inherited by child processes, and sizes are
// 64-bit. Failures come back as short texts in the style of strerror ("No such
// file or directory", "Permission denied", "Is a directory", "No space left on
// device"), never as exceptions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The largest configuration file read: far beyond any station's (a few
// megabytes), small enough that holding it in memory stays safe. A larger
// file, or a device that never ends, is refused with "File too large".
constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;

struct FileLoad {
  std::string bytes;
  // The file was missing and has just been created, empty (owner-only
  // permissions on POSIX, since the file holds passwords).
  bool created = false;
  // Not a regular file (a device or a pipe): what is written goes straight
  // into it; with `for_update` its content is not read.
  bool special = false;
};

// Reads the whole file. With `for_update` the file must also be writable: a
// missing file is created, and a file that cannot be opened for update fails.
// The bytes are one version of the file: a file that another program changes
// while it is read is read again, and refused ("File changed while being
// read") when it keeps changing.
bool LoadFile(const std::string& path, bool for_update, FileLoad* load, std::string* error);

// Replaces the file's content by the pieces, in order, so that the file holds
// either its old content or the whole new one whatever happens meanwhile: the
// pieces go to a new file in the same folder, which is flushed to disk and
// then renamed over the old one. A symbolic link is followed and its target
// replaced; the target keeps its permissions (a new file is owner-only). A
// device or pipe is written directly. When the folder does not allow a new
// file but the file itself is writable, the file is rewritten in place.
// A new file left behind by a save that was killed is removed by the next
// save of the same file.
bool ReplaceContent(const std::string& path, const std::vector<std::string_view>& pieces,
                 std::string* error);

}  // namespace platform
