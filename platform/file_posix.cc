#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/File.h"

namespace platform {

namespace {

// Fixed texts for the failures a user meets, whatever the process locale.
std::string ErrorText(int code) {
  switch (code) {
    case ENOENT: return "No such file or directory";
    case EACCES: return "Permission denied";
    case EPERM: return "Operation not permitted";
    case EISDIR: return "Is a directory";
    case ENOTDIR: return "Not a directory";
    case ENOSPC: return "No space left on device";
    case EDQUOT: return "Disk quota exceeded";
    case EROFS: return "Read-only file system";
    case EIO: return "Input/output error";
    case ENAMETOOLONG: return "File name too long";
    case ELOOP: return "Too many levels of symbolic links";
    case EFBIG: return "File too large";
    default: return strerror(code);
  }
}

bool Fail(std::string* error, int code) {
  if (error != nullptr) *error = ErrorText(code);
  return false;
}

void CloseQuietly(int fd) {
  int saved = errno;
  close(fd);
  errno = saved;
}

bool ReadAll(int fd, std::string* bytes) {
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    bytes->append(buffer, static_cast<size_t>(n));
  }
}

bool WriteBytes(int fd, const char* p, size_t left) {
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// The pieces (a section each) go out gathered into blocks of about a
// megabyte: few system calls whatever the number of sections.
bool WriteAll(int fd, const std::vector<std::string_view>& pieces) {
  constexpr size_t kBlock = 1 << 20;
  std::string block;
  for (std::string_view piece : pieces) {
    if (block.size() + piece.size() > kBlock) {
      if (!WriteBytes(fd, block.data(), block.size())) return false;
      block.clear();
    }
    if (piece.size() >= kBlock) {
      if (!WriteBytes(fd, piece.data(), piece.size())) return false;
    } else {
      if (block.capacity() < kBlock) block.reserve(kBlock);
      block.append(piece);
    }
  }
  return WriteBytes(fd, block.data(), block.size());
}

std::string Folder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Follows symbolic links (a chain of them, relative or absolute) to the file
// that they name, which need not exist yet.
bool ResolveLinks(const std::string& path, std::string* target) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = current;
      return true;
    }
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
    ssize_t n = readlink(current.c_str(), &link[0], link.size());
    if (n < 0) return false;
    if (static_cast<size_t>(n) >= link.size()) {
      errno = ENAMETOOLONG;
      return false;
    }
    link.resize(static_cast<size_t>(n));
    if (!link.empty() && link[0] == '/') {
      current = link;
    } else {
      std::string folder = Folder(current);
      current = (current.find('/') == std::string::npos ? std::string() : folder + "/") + link;
    }
  }
  errno = ELOOP;
  return false;
}

bool WriteDirect(const std::string& path, int flags, const std::vector<std::string_view>& pieces,
                 std::string* error) {
  int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | flags);
  if (fd < 0) return Fail(error, errno);
  if (!WriteAll(fd, pieces)) {
    CloseQuietly(fd);
    return Fail(error, errno);
  }
  // Devices and pipes cannot be synced; that is not a failure of the write.
  if (fsync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
    CloseQuietly(fd);
    return Fail(error, errno);
  }
  if (close(fd) != 0) return Fail(error, errno);
  return true;
}

}  // namespace

bool LoadFile(const std::string& path, bool for_update, FileLoad* load, std::string* error) {
  *load = FileLoad();
  int fd;
  if (for_update) {
    fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == ENOENT) {
      fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
      if (fd >= 0) load->created = true;
    }
  } else {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  }
  if (fd < 0) return Fail(error, errno);
  struct stat st;
  if (fstat(fd, &st) != 0) {
    CloseQuietly(fd);
    return Fail(error, errno);
  }
  if (S_ISDIR(st.st_mode)) {
    close(fd);
    return Fail(error, EISDIR);
  }
  load->special = !S_ISREG(st.st_mode);
  bool ok = true;
  if (!load->special) {
    load->bytes.reserve(static_cast<size_t>(st.st_size));
    ok = ReadAll(fd, &load->bytes);
  } else if (!for_update) {
    ok = ReadAll(fd, &load->bytes);
  }
  if (!ok) {
    CloseQuietly(fd);
    *load = FileLoad();
    return Fail(error, errno);
  }
  close(fd);
  return true;
}

bool ReplaceContent(const std::string& path, const std::vector<std::string_view>& pieces,
                 std::string* error) {
  std::string target;
  if (!ResolveLinks(path, &target)) return Fail(error, errno);

  struct stat old;
  bool exists = stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return Fail(error, errno);
  if (exists && S_ISDIR(old.st_mode)) return Fail(error, EISDIR);
  if (exists && !S_ISREG(old.st_mode)) return WriteDirect(target, 0, pieces, error);

  std::string temp = target + ".XXXXXX";
  int fd = mkostemp(&temp[0], O_CLOEXEC);
  if (fd < 0) {
    int code = errno;
    // A folder that takes no new file: the file itself may still be written.
    if (exists && (code == EACCES || code == EPERM)) {
      return WriteDirect(target, O_TRUNC, pieces, error);
    }
    return Fail(error, code);
  }
  bool ok = fchmod(fd, exists ? (old.st_mode & 07777) : 0600) == 0;
  if (ok && exists && (old.st_uid != geteuid() || old.st_gid != getegid())) {
    // Only a privileged user can give the file back to its owner; anyone
    // else makes the new file their own, as an editor saving it would.
    if (fchown(fd, old.st_uid, old.st_gid) != 0) errno = 0;
  }
  ok = ok && WriteAll(fd, pieces) && fsync(fd) == 0;
  if (!ok) {
    int code = errno;
    close(fd);
    unlink(temp.c_str());
    return Fail(error, code);
  }
  if (close(fd) != 0 || rename(temp.c_str(), target.c_str()) != 0) {
    int code = errno;
    unlink(temp.c_str());
    return Fail(error, code);
  }
  // The rename itself reaches the disk with the folder.
  int dir = open(Folder(target).c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

}  // namespace platform
