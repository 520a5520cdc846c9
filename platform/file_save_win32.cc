// Saving the configuration file on Windows: ReplaceContent and its steps.
#include <windows.h>

#include "platform/FileErrors.h"
#include "platform/Utf16.h"
#include "platform/file_win32.h"

namespace platform {

namespace {

std::string Folder(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash + 1);
}

// The path still names the file that was read, or nothing at all (the file
// was deleted meanwhile): not a link, a folder or another file put there.
bool StillTheFileRead(const SaveTarget& target, bool* exists, std::string* error) {
  HANDLE file = OpenPath(target.path, FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
  *exists = file != INVALID_HANDLE_VALUE;
  if (!*exists) {
    const DWORD code = GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || FailSystem(error, code);
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool same = Identify(file, &info) && SameFile(target, info);
  CloseHandle(file);
  if (!same && error != nullptr) *error = file_error::kReplacedSinceRead;
  return same;
}

bool WriteDirect(const std::string& path, const std::vector<std::string_view>& pieces,
                 std::string* error) {
  HANDLE file =
      OpenPath(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (file == INVALID_HANDLE_VALUE) return FailSystem(error, GetLastError());
  bool ok = WriteAll(file, pieces);
  DWORD code = GetLastError();
  if (ok && GetFileType(file) == FILE_TYPE_DISK && !FlushFileBuffers(file)) {
    ok = false;
    code = GetLastError();
  }
  CloseHandle(file);
  return ok ? true : FailSystem(error, code);
}

// The pieces in the new file `temp`, flushed to disk.
bool WriteNewFile(const wchar_t* temp, const std::vector<std::string_view>& pieces, DWORD* code) {
  HANDLE file =
      CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *code = GetLastError();
    return false;
  }
  const bool ok = WriteAll(file, pieces) && FlushFileBuffers(file);
  *code = GetLastError();
  CloseHandle(file);
  return ok;
}

// After a replacement the name refers to the new file: the next save of the
// same profile checks against that one.
void RememberNewFile(SaveTarget* target) {
  HANDLE file = OpenPath(target->path, FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
  if (file == INVALID_HANDLE_VALUE) return;
  BY_HANDLE_FILE_INFORMATION info;
  if (Identify(file, &info)) Remember(target, info);
  CloseHandle(file);
}

// Puts the written new file in the place of the old one. ReplaceFile keeps
// the old file's attributes and access rights; the new file takes the old
// one's hidden and system marks first, whichever of the two calls moves it.
bool MoveIntoPlace(const SaveTarget& target, const wchar_t* temp, bool exists, DWORD* code) {
  if (exists) {
    const DWORD oldAttributes = GetFileAttributesW(WidePath(target.path).c_str());
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (oldAttributes != INVALID_FILE_ATTRIBUTES && (oldAttributes & kept) != 0) {
      SetFileAttributesW(temp, oldAttributes & kept);
    }
  }
  const std::wstring wide = WidePath(target.path);
  const bool ok =
      (exists && ReplaceFileW(wide.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                              nullptr)) ||
      MoveFileExW(temp, wide.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  *code = GetLastError();
  return ok;
}

}  // namespace

bool ReplaceContent(SaveTarget& target, const std::vector<std::string_view>& pieces,
                    std::string* error) {
  // A device (NUL, a console, a pipe) is written directly.
  if (target.special) return WriteDirect(target.path, pieces, error);
  bool exists = false;
  if (!StillTheFileRead(target, &exists, error)) return false;

  wchar_t temp[MAX_PATH + 1];
  if (GetTempFileNameW(WidePath(Folder(target.path)).c_str(), L"tvx", 0, temp) == 0) {
    const DWORD code = GetLastError();
    // A folder that takes no new file: the file itself may still be written.
    if (exists && code == ERROR_ACCESS_DENIED) return RewriteInPlace(target, pieces, error);
    return FailSystem(error, code);
  }
  DWORD code = 0;
  if (!WriteNewFile(temp, pieces, &code)) {
    DeleteFileW(temp);
    return FailSystem(error, code);
  }
  // Checked again at the last moment: the name may have been taken while
  // the new file was written.
  if (!StillTheFileRead(target, &exists, error)) {
    DeleteFileW(temp);
    return false;
  }
  if (!MoveIntoPlace(target, temp, exists, &code)) {
    DeleteFileW(temp);
    // A file that may be written but not replaced (its folder refuses the
    // rename, another program holds it open without letting it be renamed,
    // a file mounted on its own under wine) is rewritten.
    if (exists && (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
                   code == ERROR_LOCK_VIOLATION)) {
      return RewriteInPlace(target, pieces, error);
    }
    return FailSystem(error, code);
  }
  RememberNewFile(&target);
  return true;
}

void RemoveCreated(SaveTarget& target) {
  if (!target.created || target.special) return;
  target.created = false;
  HANDLE file = OpenPath(target.path, DELETE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT);
  if (file == INVALID_HANDLE_VALUE) return;
  BY_HANDLE_FILE_INFORMATION info;
  if (Identify(file, &info) && SameFile(target, info) && info.nFileSizeHigh == 0 &&
      info.nFileSizeLow == 0) {
    FILE_DISPOSITION_INFO disposition;
    disposition.DeleteFile = TRUE;
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
  }
  CloseHandle(file);
}

}  // namespace platform
