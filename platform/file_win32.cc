#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/File.h"
#include "platform/FileErrors.h"
#include "platform/Utf16.h"
#include "platform/WriteGathered.h"

namespace platform {

namespace {

// Fixed texts for the failures a user meets, in the words of the C library.
std::string ErrnoText(int code) {
  using namespace file_error;
  switch (code) {
    case ENOENT: return kNoSuchFile;
    case EACCES: return kPermissionDenied;
    case EISDIR: return kIsADirectory;
    case ENOSPC: return kDiskFull;
    case EROFS: return kReadOnly;
    case EIO: return kInputOutput;
    case EFBIG: return kTooLarge;
    default: return strerror(code);
  }
}

std::string SystemText(DWORD code) {
  using namespace file_error;
  switch (code) {
    // ERROR_DIRECTORY ("the directory name is invalid") is what
    // GetTempFileName gives for a folder that does not exist; a path that
    // names a folder itself is caught before any call that could give it.
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return kNoSuchFile;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return kPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kDiskFull;
    case ERROR_WRITE_PROTECT:
      return kReadOnly;
    default:
      break;
  }
  char buffer[256] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, sizeof buffer, nullptr);
  while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == '.')) --n;
  return n > 0 ? std::string(buffer, n) : kInputOutput;
}

bool FailErrno(std::string* error, int code) {
  if (error != nullptr) *error = ErrnoText(code);
  return false;
}

bool FailSystem(std::string* error, DWORD code) {
  if (error != nullptr) *error = SystemText(code);
  return false;
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Reads to the end of the file, but never more than kMaxFileBytes.
bool ReadAll(int fd, std::string* bytes) {
  char buffer[1 << 16];
  for (;;) {
    int n = _read(fd, buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) return true;
    if (bytes->size() + static_cast<size_t>(n) > kMaxFileBytes) {
      errno = EFBIG;
      return false;
    }
    bytes->append(buffer, static_cast<size_t>(n));
  }
}

bool WriteBytes(HANDLE file, const char* p, size_t left) {
  while (left > 0) {
    DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, p, chunk, &written, nullptr)) return false;
    p += written;
    left -= written;
  }
  return true;
}

bool WriteAll(HANDLE file, const std::vector<std::string_view>& pieces) {
  return WriteGathered(pieces,
                       [file](const char* p, size_t n) { return WriteBytes(file, p, n); });
}

std::string Folder(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash + 1);
}

// Every handle that the save opens by name comes from here.
HANDLE OpenPath(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                DWORD flags) {
  return CreateFileW(WidePath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

// The file that an open handle refers to, by its final path (every link on
// the way followed); `path` when the system cannot tell. Only a path that is
// itself a link is looked up: the save then replaces the link's target.
std::string FinalPath(HANDLE file, const std::string& path) {
  std::wstring final_path(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(file, &final_path[0], static_cast<DWORD>(final_path.size()),
                                      FILE_NAME_NORMALIZED);
  if (n >= final_path.size()) {
    final_path.resize(n + 1);
    n = GetFinalPathNameByHandleW(file, &final_path[0], static_cast<DWORD>(final_path.size()),
                                  FILE_NAME_NORMALIZED);
  }
  if (n == 0 || n >= final_path.size()) return path;
  final_path.resize(n);
  // The answer comes as \\?\C:\... or \\?\UNC\server\...; the rest of
  // this file wants the plain forms.
  if (final_path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
    return "\\\\" + Utf8(final_path.data() + 8, final_path.size() - 8);
  }
  if (final_path.compare(0, 4, L"\\\\?\\") == 0) {
    return Utf8(final_path.data() + 4, final_path.size() - 4);
  }
  return Utf8(final_path.data(), final_path.size());
}

// Which file a handle refers to: volume and file index.
bool Identify(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
  return GetFileInformationByHandle(file, info) != 0;
}

}  // namespace

// The file that the load read: its final path, fixed at the load, and its
// identity. A device keeps the path it was named by.
struct SaveTarget {
  std::string path;
  bool special = false;
  bool created = false;
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
};

void SaveTargetClose::operator()(SaveTarget* target) const { delete target; }

namespace {

bool SameFile(const SaveTarget& target, const BY_HANDLE_FILE_INFORMATION& info) {
  return info.dwVolumeSerialNumber == target.volume && info.nFileIndexHigh == target.index_high &&
         info.nFileIndexLow == target.index_low &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

void Remember(SaveTarget* target, const BY_HANDLE_FILE_INFORMATION& info) {
  target->volume = info.dwVolumeSerialNumber;
  target->index_high = info.nFileIndexHigh;
  target->index_low = info.nFileIndexLow;
}

void BindTarget(int fd, const std::string& path, FileLoad* load) {
  load->target.reset(new SaveTarget);
  SaveTarget& target = *load->target;
  target.path = path;
  target.special = load->special;
  target.created = load->created;
  if (target.special) return;
  HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  BY_HANDLE_FILE_INFORMATION info;
  if (file == INVALID_HANDLE_VALUE) return;
  if (Identify(file, &info)) Remember(&target, info);
  const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    target.path = FinalPath(file, path);
  }
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
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
           FailSystem(error, code);
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool same = Identify(file, &info) && SameFile(target, info);
  CloseHandle(file);
  if (!same && error != nullptr) *error = file_error::kReplacedSinceRead;
  return same;
}

bool WriteDirect(const std::string& path, const std::vector<std::string_view>& pieces,
                 std::string* error) {
  HANDLE file = OpenPath(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
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
    const DWORD old_attributes = GetFileAttributesW(WidePath(target.path).c_str());
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (old_attributes != INVALID_FILE_ATTRIBUTES && (old_attributes & kept) != 0) {
      SetFileAttributesW(temp, old_attributes & kept);
    }
  }
  const std::wstring wide = WidePath(target.path);
  const bool ok = (exists && ReplaceFileW(wide.c_str(), temp, nullptr,
                                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) ||
                  MoveFileExW(temp, wide.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  *code = GetLastError();
  return ok;
}

}  // namespace

bool LoadFile(const std::string& path, bool forUpdate, FileLoad* load, std::string* error) {
  *load = FileLoad();
  if (IsDirectory(path)) return FailErrno(error, EISDIR);
  int fd;
  if (forUpdate) {
    fd = _wopen(WidePath(path).c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT);
    if (fd < 0 && errno == ENOENT) {
      fd = _wopen(WidePath(path).c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT | _O_CREAT, _S_IREAD | _S_IWRITE);
      if (fd >= 0) load->created = true;
    }
  } else {
    fd = _wopen(WidePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  }
  if (fd < 0) return FailErrno(error, errno);
  struct _stati64 st;
  if (_fstati64(fd, &st) != 0) {
    int code = errno;
    _close(fd);
    return FailErrno(error, code);
  }
  load->special = (st.st_mode & _S_IFMT) != _S_IFREG;
  if (forUpdate) BindTarget(fd, path, load);
  bool ok = true;
  if (!load->special && static_cast<uint64_t>(st.st_size) > kMaxFileBytes) {
    _close(fd);
    return FailErrno(error, EFBIG);
  }
  if (!load->special) {
    load->bytes.reserve(static_cast<size_t>(st.st_size));
    ok = ReadAll(fd, &load->bytes);
  } else if (!forUpdate) {
    ok = ReadAll(fd, &load->bytes);
  }
  int code = errno;
  _close(fd);
  if (!ok) {
    *load = FileLoad();
    return FailErrno(error, code);
  }
  return true;
}

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
