#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

#include "platform/File.h"
#include "platform/WriteGathered.h"

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
    case ENOMEM: return "Not enough memory";
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

// Reads to the end of the file, but never more than kMaxFileBytes: a device
// such as /dev/zero has no end. Memory that cannot be had is a failure of the
// read (ENOMEM), with the handle still the caller's to close.
bool ReadAll(int fd, std::string* bytes) {
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (bytes->size() + static_cast<size_t>(n) > kMaxFileBytes) {
      errno = EFBIG;
      return false;
    }
    try {
      bytes->append(buffer, static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
      errno = ENOMEM;
      return false;
    }
  }
}

bool SameState(const struct stat& a, const struct stat& b) {
  return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Reads a regular file whole. Another program that writes it meanwhile (an
// editor saving in place) would leave a mix of two versions in the bytes, so
// a file whose size or time of change moved during the read is read again; a
// file that keeps changing is refused.
bool ReadRegular(int fd, const struct stat& first, std::string* bytes, std::string* error) {
  struct stat before = first;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (static_cast<uint64_t>(before.st_size) > kMaxFileBytes) return Fail(error, EFBIG);
    bytes->clear();
    try {
      bytes->reserve(static_cast<size_t>(before.st_size));
    } catch (const std::bad_alloc&) {
      return Fail(error, ENOMEM);
    }
    if (lseek(fd, 0, SEEK_SET) != 0 || !ReadAll(fd, bytes)) return Fail(error, errno);
    struct stat after;
    if (fstat(fd, &after) != 0) return Fail(error, errno);
    if (SameState(before, after)) return true;
    before = after;
  }
  bytes->clear();
  if (error != nullptr) *error = "File changed while being read";
  return false;
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

bool WriteAll(int fd, const std::vector<std::string_view>& pieces) {
  return WriteGathered(pieces, [fd](const char* p, size_t n) { return WriteBytes(fd, p, n); });
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

// The new content of a file goes to ".NAME.tarvo-XXXXXX" next to it: hidden,
// and a name that no other program gives a file, so that the ones a killed
// save left behind can be told apart and removed. A save holds a lock on its
// own new file until it has been renamed, so a save running at the same time
// never loses its file to the clean-up of another.
std::string TempPrefix(const std::string& target) {
  size_t slash = target.find_last_of('/');
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  return "." + name + ".tarvo-";
}

bool IsTempOf(const char* entry, const std::string& prefix) {
  if (strncmp(entry, prefix.c_str(), prefix.size()) != 0) return false;
  const char* rest = entry + prefix.size();
  if (strlen(rest) != 6) return false;
  for (const char* p = rest; *p != '\0'; ++p) {
    const char c = *p;
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
      return false;
    }
  }
  return true;
}

// Removes the new files of killed saves of the target: regular files of
// this user, with the temporary name, that no running save holds locked.
// Failures are ignored: a file left over does no harm.
void RemoveLeftovers(const std::string& target) {
  const std::string folder = Folder(target);
  const std::string prefix = TempPrefix(target);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  int saved = errno;
  while (dirent* entry = readdir(dir)) {
    if (!IsTempOf(entry->d_name, prefix)) continue;
    const std::string path = folder + "/" + entry->d_name;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0) {
      unlink(path.c_str());
    }
    close(fd);
  }
  closedir(dir);
  errno = saved;
}

// A new, locked, owner-only file for the target's new content.
int CreateTemp(const std::string& target, std::string* temp) {
  const std::string folder = Folder(target);
  for (int attempt = 0; attempt < 5; ++attempt) {
    *temp = folder + "/" + TempPrefix(target) + "XXXXXX";
    int fd = mkostemp(&(*temp)[0], O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    // Between its creation and the lock, the file may have been taken for a
    // leftover and removed; then another one is made.
    if (flock(fd, LOCK_EX) == 0 && fstat(fd, &st) == 0 && st.st_nlink > 0) return fd;
    CloseQuietly(fd);
  }
  errno = EEXIST;
  return -1;
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
  if (!load->special) {
    std::string reason;
    if (!ReadRegular(fd, st, &load->bytes, &reason)) {
      CloseQuietly(fd);
      *load = FileLoad();
      if (error != nullptr) *error = reason;
      return false;
    }
    close(fd);
    return true;
  }
  bool ok = true;
  if (!for_update) ok = ReadAll(fd, &load->bytes);
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

  RemoveLeftovers(target);
  std::string temp;
  int fd = CreateTemp(target, &temp);
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
  // A second handle keeps the lock (and so the new file) until the rename is
  // done, while the first is closed to learn of a failed write-back.
  int lock = dup(fd);
  if (close(fd) != 0 || rename(temp.c_str(), target.c_str()) != 0) {
    int code = errno;
    unlink(temp.c_str());
    if (lock >= 0) close(lock);
    return Fail(error, code);
  }
  if (lock >= 0) close(lock);
  // The rename itself reaches the disk with the folder.
  int dir = open(Folder(target).c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

}  // namespace platform
