// The texts that both file layers give for their failures, whatever the
// process locale and whichever system call failed: one wording per failure
// on POSIX and on Windows.
#pragma once

namespace platform {
namespace file_error {

constexpr char kNoSuchFile[] = "No such file or directory";
constexpr char kPermissionDenied[] = "Permission denied";
constexpr char kNotPermitted[] = "Operation not permitted";
constexpr char kIsADirectory[] = "Is a directory";
constexpr char kNotADirectory[] = "Not a directory";
constexpr char kDiskFull[] = "No space left on device";
constexpr char kQuotaExceeded[] = "Disk quota exceeded";
constexpr char kReadOnly[] = "Read-only file system";
constexpr char kInputOutput[] = "Input/output error";
constexpr char kNameTooLong[] = "File name too long";
constexpr char kTooManyLinks[] = "Too many levels of symbolic links";
constexpr char kTooLarge[] = "File too large";
constexpr char kNoMemory[] = "Not enough memory";
// The file kept changing while it was read (each read saw another version).
constexpr char kChangedWhileRead[] = "File changed while being read";
// The name of the file that was read now names another file or a link: the
// save refuses to write what it would not have read.
constexpr char kReplacedSinceRead[] = "File replaced since it was read";

// An errno code in these words, whatever the process locale; a code without
// one of them in the C library's own words.
const char* ErrnoText(int code);

}  // namespace file_error
}  // namespace platform
