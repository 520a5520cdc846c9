// Rewriting the configuration file in place, for a file that cannot be
// replaced (a folder that takes no new file, a rename refused). Not atomic,
// but never worse than it must be: a full disk is found before a byte
// changes, the file is never emptied or cut first, and only the bytes that
// differ from the file's are written, so that a kill meanwhile mixes in no
// more than those.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/FileErrors.h"
#include "platform/WriteGathered.h"
#include "platform/file_posix.h"

namespace platform {

namespace {

// Claims the disk space of `size` bytes without changing the file; where the
// file system cannot, the part beyond the old end is claimed (it reads as
// zeros until written). Where nothing can be claimed, nothing is.
bool Reserve(int fd, off_t oldSize, off_t size) {
#ifdef FALLOC_FL_KEEP_SIZE
  if (size > 0 && fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return true;
  if (size > 0 && errno != EOPNOTSUPP && errno != ENOSYS) return false;
#endif
  if (size <= oldSize) return true;
  const int code = posix_fallocate(fd, oldSize, size - oldSize);
  if (code == 0 || code == EOPNOTSUPP || code == EINVAL) return true;
  errno = code;
  return false;
}

bool ReadAt(int fd, char* p, size_t left, off_t offset) {
  while (left > 0) {
    const ssize_t n = pread(fd, p, left, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;  // the file shrank under the rewrite
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

bool WriteAt(int fd, const char* p, size_t left, off_t offset) {
  while (left > 0) {
    const ssize_t n = pwrite(fd, p, left, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

// Writes the new content over the file's, each block from its first to its
// last byte that differs from what the file holds at the same place.
bool WriteChanges(int fd, off_t oldSize, const std::vector<std::string_view>& pieces) {
  std::string old;
  off_t offset = 0;
  return WriteGathered(pieces, [&](const char* p, size_t n) {
    size_t first = 0;
    size_t end = n;
    if (offset < oldSize) {
      const size_t held = std::min(n, static_cast<size_t>(oldSize - offset));
      old.resize(held);
      if (!ReadAt(fd, &old[0], held, offset)) return false;
      first = static_cast<size_t>(std::mismatch(old.begin(), old.end(), p).first - old.begin());
      if (first == n) end = first;
      while (held == n && end > first && old[end - 1] == p[end - 1]) --end;
    }
    const bool ok = WriteAt(fd, p + first, end - first, offset + static_cast<off_t>(first));
    offset += static_cast<off_t>(n);
    return ok;
  });
}

}  // namespace

// Reserve, write, flush, and only then cut the file to its new length.
bool RewriteInPlace(const SaveTarget& target, const std::vector<std::string_view>& pieces,
                    std::string* error) {
  const int fd =
      openat(target.folder, target.name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    return errno == ELOOP ? FailWith(error, file_error::kReplacedSinceRead) : Fail(error, errno);
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !SameFile(target, st)) {
    close(fd);
    return FailWith(error, file_error::kReplacedSinceRead);
  }
  off_t size = 0;
  for (std::string_view piece : pieces) size += static_cast<off_t>(piece.size());
  if (!Reserve(fd, st.st_size, size)) {
    const int code = errno;
    if (ftruncate(fd, st.st_size) != 0) errno = 0;  // gives back what was claimed
    close(fd);
    return Fail(error, code);
  }
  const bool ok = WriteChanges(fd, st.st_size, pieces) && fsync(fd) == 0 &&
                  (size >= st.st_size || (ftruncate(fd, size) == 0 && fsync(fd) == 0));
  if (!ok) {
    CloseQuietly(fd);
    return Fail(error, errno);
  }
  return close(fd) == 0 || Fail(error, errno);
}

}  // namespace platform
