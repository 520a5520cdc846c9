// Loading the configuration file on Windows, and binding a load for update
// to the file it read (file_save_win32.cc saves to it).
#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/FileErrors.h"
#include "platform/Utf16.h"
#include "platform/WriteGathered.h"
#include "platform/file_win32.h"

namespace platform {

namespace {

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

// The file that an open handle refers to, by its final path (every link on
// the way followed); `path` when the system cannot tell. Only a path that is
// itself a link is looked up: the save then replaces the link's target.
std::string FinalPath(HANDLE file, const std::string& path) {
  std::wstring finalPath(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(file, &finalPath[0], static_cast<DWORD>(finalPath.size()),
                                      FILE_NAME_NORMALIZED);
  if (n >= finalPath.size()) {
    finalPath.resize(n + 1);
    n = GetFinalPathNameByHandleW(file, &finalPath[0], static_cast<DWORD>(finalPath.size()),
                                  FILE_NAME_NORMALIZED);
  }
  if (n == 0 || n >= finalPath.size()) return path;
  finalPath.resize(n);
  // The answer comes as \\?\C:\... or \\?\UNC\server\...; the rest of
  // this file wants the plain forms.
  if (finalPath.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
    return "\\\\" + Utf8(finalPath.data() + 8, finalPath.size() - 8);
  }
  if (finalPath.compare(0, 4, L"\\\\?\\") == 0) {
    return Utf8(finalPath.data() + 4, finalPath.size() - 4);
  }
  return Utf8(finalPath.data(), finalPath.size());
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

}  // namespace

bool FailErrno(std::string* error, int code) {
  if (error != nullptr) *error = file_error::ErrnoText(code);
  return false;
}

bool FailSystem(std::string* error, DWORD code) {
  if (error != nullptr) *error = SystemText(code);
  return false;
}

bool WriteAll(HANDLE file, const std::vector<std::string_view>& pieces) {
  return WriteGathered(pieces, [file](const char* p, size_t n) { return WriteBytes(file, p, n); });
}

HANDLE OpenPath(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                DWORD flags) {
  return CreateFileW(WidePath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

bool Identify(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
  return GetFileInformationByHandle(file, info) != 0;
}

void SaveTargetClose::operator()(SaveTarget* target) const { delete target; }

bool SameFile(const SaveTarget& target, const BY_HANDLE_FILE_INFORMATION& info) {
  return info.dwVolumeSerialNumber == target.volume && info.nFileIndexHigh == target.indexHigh &&
         info.nFileIndexLow == target.indexLow &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

void Remember(SaveTarget* target, const BY_HANDLE_FILE_INFORMATION& info) {
  target->volume = info.dwVolumeSerialNumber;
  target->indexHigh = info.nFileIndexHigh;
  target->indexLow = info.nFileIndexLow;
}

bool LoadFile(const std::string& path, bool forUpdate, FileLoad* load, std::string* error) {
  *load = FileLoad();
  if (IsDirectory(path)) return FailErrno(error, EISDIR);
  int fd;
  if (forUpdate) {
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

}  // namespace platform
