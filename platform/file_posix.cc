// Loading the configuration file on POSIX, and binding a load for update to
// the file it read (file_save_posix.cc saves to it).
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

#include "platform/FileErrors.h"
#include "platform/WriteGathered.h"
#include "platform/file_posix.h"

namespace platform {

namespace {

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
  return FailWith(error, file_error::kChangedWhileRead);
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
    const size_t slash = current.find_last_of('/');
    if (link[0] == '/' || slash == std::string::npos) {
      current = link;
    } else {
      current = current.substr(0, slash + 1) + link;
    }
  }
  errno = ELOOP;
  return false;
}

// Opens the folder of the file that the path names once its links are
// followed, and keeps the file's name in it: whatever later happens to the
// links and folders on the way, the save goes to that folder.
bool OpenFolderOf(const std::string& path, SaveTarget* target) {
  std::string resolved;
  if (!ResolveLinks(path, &resolved)) return false;
  const size_t slash = resolved.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : resolved.substr(0, slash);
  target->name = slash == std::string::npos ? resolved : resolved.substr(slash + 1);
  if (target->name.empty()) {
    errno = EISDIR;
    return false;
  }
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
  // A folder that may be passed but not listed still takes the save.
  if (fd < 0 && errno == EACCES) fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#endif
  target->folder = fd;
  return fd >= 0;
}

// Opens the file for update, creating it when it is missing, and binds the
// load's target to its folder and name; LoadFile makes the target hold the
// descriptor once the file is read. A path that changes while it is looked
// at is looked at again.
int OpenForUpdate(const std::string& path, FileLoad* load, std::string* error) {
  SaveTargetPtr target(new SaveTarget);
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno != ENOENT) return Fail(error, errno), -1;
    struct stat st;
    if (fd >= 0) {
      if (fstat(fd, &st) != 0) {
        CloseQuietly(fd);
        return Fail(error, errno), -1;
      }
      // A device or pipe is written through this handle; LoadFile sorts out
      // folders.
      if (!S_ISREG(st.st_mode)) {
        load->target = std::move(target);
        return fd;
      }
      if (!OpenFolderOf(path, target.get())) {
        const int code = errno;
        close(fd);
        return Fail(error, code), -1;
      }
      struct stat named;
      if (fstatat(target->folder, target->name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
          named.st_dev == st.st_dev && named.st_ino == st.st_ino) {
        load->target = std::move(target);
        return fd;
      }
      close(fd);
    } else {
      // Missing: created where the path's links lead, and never through a
      // link that appears meanwhile.
      if (!OpenFolderOf(path, target.get())) return Fail(error, errno), -1;
      fd = openat(target->folder, target->name.c_str(),
                  O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
      if (fd >= 0) {
        target->created = load->created = true;
        load->target = std::move(target);
        return fd;
      }
      if (errno != EEXIST) return Fail(error, errno), -1;
    }
    close(target->folder);
    target->folder = -1;
  }
  return FailWith(error, file_error::kChangedWhileRead), -1;
}

}  // namespace

bool Fail(std::string* error, int code) {
  if (error != nullptr) *error = file_error::ErrnoText(code);
  return false;
}

bool FailWith(std::string* error, const char* text) {
  if (error != nullptr) *error = text;
  return false;
}

void CloseQuietly(int fd) {
  int saved = errno;
  close(fd);
  errno = saved;
}

bool WriteAll(int fd, const std::vector<std::string_view>& pieces) {
  return WriteGathered(pieces, [fd](const char* p, size_t left) {
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
  });
}

void SaveTargetClose::operator()(SaveTarget* target) const {
  if (target->folder >= 0) close(target->folder);
  if (target->held >= 0) close(target->held);
  if (target->special >= 0) close(target->special);
  delete target;
}

bool LoadFile(const std::string& path, bool forUpdate, FileLoad* load, std::string* error) {
  *load = FileLoad();
  int fd = forUpdate ? OpenForUpdate(path, load, error)
                     : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return forUpdate ? false : Fail(error, errno);
  struct stat st;
  const bool known = fstat(fd, &st) == 0;
  if (!known || S_ISDIR(st.st_mode)) {
    const int code = known ? EISDIR : errno;
    CloseQuietly(fd);
    *load = FileLoad();
    return Fail(error, code);
  }
  load->special = !S_ISREG(st.st_mode);
  if (load->special && forUpdate) {
    load->target->special = fd;  // what the save writes to; nothing is read
    return true;
  }
  std::string reason;
  const bool ok = load->special ? (ReadAll(fd, &load->bytes) || Fail(&reason, errno))
                                : ReadRegular(fd, st, &load->bytes, &reason);
  if (!ok) {
    CloseQuietly(fd);
    *load = FileLoad();
    if (error != nullptr) *error = reason;
  } else if (forUpdate) {
    load->target->held = fd;  // the file read, until the save
  } else {
    CloseQuietly(fd);
  }
  return ok;
}

}  // namespace platform
