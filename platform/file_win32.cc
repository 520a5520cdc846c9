#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/File.h"
#include "platform/Utf16.h"
#include "platform/WriteGathered.h"

namespace platform {

namespace {

// Fixed texts for the failures a user meets, in the words of the C library.
std::string ErrnoText(int code) {
  switch (code) {
    case ENOENT: return "No such file or directory";
    case EACCES: return "Permission denied";
    case EISDIR: return "Is a directory";
    case ENOSPC: return "No space left on device";
    case EROFS: return "Read-only file system";
    case EIO: return "Input/output error";
    case EFBIG: return "File too large";
    default: return strerror(code);
  }
}

std::string SystemText(DWORD code) {
  switch (code) {
    // ERROR_DIRECTORY ("the directory name is invalid") is what
    // GetTempFileName gives for a folder that does not exist; a path that
    // names a folder itself is caught before any call that could give it.
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "Permission denied";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";
    case ERROR_WRITE_PROTECT:
      return "Read-only file system";
    default:
      break;
  }
  char buffer[256] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, sizeof buffer, nullptr);
  while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == '.')) --n;
  return n > 0 ? std::string(buffer, n) : "Input/output error";
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

// The file that a path names once every link on the way is followed; the
// path itself when it is not a link or the file does not exist.
std::string FinalPath(const std::string& path) {
  DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return path;
  }
  HANDLE file = CreateFileW(WidePath(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::wstring final_path(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(file, &final_path[0], static_cast<DWORD>(final_path.size()),
                                      FILE_NAME_NORMALIZED);
  if (n >= final_path.size()) {
    final_path.resize(n + 1);
    n = GetFinalPathNameByHandleW(file, &final_path[0], static_cast<DWORD>(final_path.size()),
                                  FILE_NAME_NORMALIZED);
  }
  CloseHandle(file);
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

bool WriteDirect(const std::string& path, DWORD disposition,
                 const std::vector<std::string_view>& pieces, std::string* error) {
  HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
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

}  // namespace

bool LoadFile(const std::string& path, bool for_update, FileLoad* load, std::string* error) {
  *load = FileLoad();
  if (IsDirectory(path)) return FailErrno(error, EISDIR);
  int fd;
  if (for_update) {
    fd = _wopen(WidePath(path).c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT);
    if (fd < 0 && errno == ENOENT) {
      fd = _wopen(WidePath(path).c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT | _O_CREAT,
                  _S_IREAD | _S_IWRITE);
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
  bool ok = true;
  if (!load->special && static_cast<uint64_t>(st.st_size) > kMaxFileBytes) {
    _close(fd);
    return FailErrno(error, EFBIG);
  }
  if (!load->special) {
    load->bytes.reserve(static_cast<size_t>(st.st_size));
    ok = ReadAll(fd, &load->bytes);
  } else if (!for_update) {
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

bool ReplaceContent(const std::string& path, const std::vector<std::string_view>& pieces,
                 std::string* error) {
  const std::string target = FinalPath(path);
  if (IsDirectory(target)) return FailErrno(error, EISDIR);
  bool exists = GetFileAttributesW(WidePath(target).c_str()) != INVALID_FILE_ATTRIBUTES;
  HANDLE probe = CreateFileW(WidePath(target).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    DWORD type = GetFileType(probe);
    CloseHandle(probe);
    // A device (NUL, a console, a pipe) is written directly.
    if (type != FILE_TYPE_DISK) return WriteDirect(target, OPEN_EXISTING, pieces, error);
    exists = true;
  }

  wchar_t temp[MAX_PATH + 1];
  if (GetTempFileNameW(WidePath(Folder(target)).c_str(), L"tvx", 0, temp) == 0) {
    DWORD code = GetLastError();
    // A folder that takes no new file: the file itself may still be written.
    if (exists && code == ERROR_ACCESS_DENIED) {
      return WriteDirect(target, TRUNCATE_EXISTING, pieces, error);
    }
    return FailSystem(error, code);
  }
  HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    DeleteFileW(temp);
    return FailSystem(error, code);
  }
  bool ok = WriteAll(file, pieces) && FlushFileBuffers(file);
  DWORD code = GetLastError();
  CloseHandle(file);
  if (ok && exists) {
    // The new file takes the old one's hidden and system marks before it
    // goes in its place, whichever of the two calls below moves it there.
    const DWORD old_attributes = GetFileAttributesW(WidePath(target).c_str());
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (old_attributes != INVALID_FILE_ATTRIBUTES && (old_attributes & kept) != 0) {
      SetFileAttributesW(temp, old_attributes & kept);
    }
  }
  if (ok) {
    // ReplaceFile keeps the old file's attributes and access rights.
    ok = (exists && ReplaceFileW(WidePath(target).c_str(), temp, nullptr,
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) ||
         MoveFileExW(temp, WidePath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    code = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temp);
    return FailSystem(error, code);
  }
  return true;
}

}  // namespace platform
