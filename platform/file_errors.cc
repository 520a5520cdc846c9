// The errno texts of both file layers (platform/FileErrors.h).
#include <errno.h>
#include <string.h>

#include "platform/FileErrors.h"

namespace platform {
namespace file_error {

const char* ErrnoText(int code) {
  switch (code) {
    case ENOENT:
      return kNoSuchFile;
    case EACCES:
      return kPermissionDenied;
    case EPERM:
      return kNotPermitted;
    case EISDIR:
      return kIsADirectory;
    case ENOTDIR:
      return kNotADirectory;
    case ENOSPC:
      return kDiskFull;
    case EROFS:
      return kReadOnly;
    case EIO:
      return kInputOutput;
    case EFBIG:
      return kTooLarge;
#if !defined(_WIN32)
    // Windows keeps its C library's words for these: it has no EDQUOT, and
    // its texts for the others differ from these ("Not enough space").
    case EDQUOT:
      return kQuotaExceeded;
    case ENAMETOOLONG:
      return kNameTooLong;
    case ELOOP:
      return kTooManyLinks;
    case ENOMEM:
      return kNoMemory;
#endif
    default:
      return strerror(code);
  }
}

}  // namespace file_error
}  // namespace platform
