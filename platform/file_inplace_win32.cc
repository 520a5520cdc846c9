// Rewriting the configuration file in place on Windows, for a file that
// cannot be replaced (a folder that takes no new file, a replacement
// refused). Not atomic.
#include <windows.h>

#include "platform/FileErrors.h"
#include "platform/file_win32.h"

namespace platform {

// Rewrites the file through its own name where it cannot be replaced: the
// space is reserved first, then the pieces are written and flushed, and only
// then is the file cut to its new length.
bool RewriteInPlace(const SaveTarget& target, const std::vector<std::string_view>& pieces,
                    std::string* error) {
  HANDLE file = OpenPath(target.path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT);
  if (file == INVALID_HANDLE_VALUE) return FailSystem(error, GetLastError());
  BY_HANDLE_FILE_INFORMATION info;
  if (!Identify(file, &info) || !SameFile(target, info)) {
    CloseHandle(file);
    if (error != nullptr) *error = file_error::kReplacedSinceRead;
    return false;
  }
  LARGE_INTEGER oldSize;
  oldSize.HighPart = static_cast<LONG>(info.nFileSizeHigh);
  oldSize.LowPart = info.nFileSizeLow;
  LONGLONG size = 0;
  for (std::string_view piece : pieces) size += static_cast<LONGLONG>(piece.size());
  bool ok = true;
  DWORD code = 0;
  if (size > oldSize.QuadPart) {
    // Claims the space without moving the end of the file. A smaller
    // allocation would cut the file, so only a larger one is asked for.
    FILE_ALLOCATION_INFO allocation;
    allocation.AllocationSize.QuadPart = size;
    if (!SetFileInformationByHandle(file, FileAllocationInfo, &allocation, sizeof allocation)) {
      code = GetLastError();
      ok = code == ERROR_INVALID_PARAMETER || code == ERROR_NOT_SUPPORTED ||
           code == ERROR_CALL_NOT_IMPLEMENTED || code == ERROR_INVALID_FUNCTION;
    }
  }
  LARGE_INTEGER start{};
  ok = ok && SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && WriteAll(file, pieces) &&
       FlushFileBuffers(file);
  if (ok && size < oldSize.QuadPart) {
    FILE_END_OF_FILE_INFO end;
    end.EndOfFile.QuadPart = size;
    ok = SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end) &&
         FlushFileBuffers(file);
  }
  if (!ok && GetLastError() != 0) code = GetLastError();
  CloseHandle(file);
  return ok ? true : FailSystem(error, code);
}

}  // namespace platform
