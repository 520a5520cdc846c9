// Saving the configuration file on POSIX: ReplaceContent and its steps.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "platform/FileErrors.h"
#include "platform/file_posix.h"

namespace platform {

namespace {

// A new file for the content. While it is written it has no name where the
// system allows that (O_TMPFILE), so that a killed save leaves nothing. It is
// then linked as ".NAME.tarvo-INODE-MTIME" (hexadecimal: its own inode number
// and time of last modification in nanoseconds, fixed once it is written) and
// renamed over the file. A file of that name whose inode and time match it is
// a new file that a save killed between those two calls left behind: no other
// file can carry its own inode and time in its name by chance. Where there
// are no unnamed files, the new file is written under ".NAME.tarvo-" and 12
// random letters, a name that no clean-up ever matches.
struct NewFile {
  int fd = -1;
  std::string name;
};

constexpr char kMark[] = ".tarvo-";
constexpr size_t kLongestSuffix = 16 + 1 + 16;

// ".NAME.tarvo-", NAME cut (never inside a UTF-8 character) so that every
// new file's name fits the folder's limit whatever the file's name.
std::string TempPrefix(const SaveTarget& target) {
  long limit = fpathconf(target.folder, _PC_NAME_MAX);
  if (limit <= 0) limit = NAME_MAX;
  const size_t fixed = 1 + strlen(kMark) + kLongestSuffix;
  size_t keep = static_cast<size_t>(limit) > fixed ? static_cast<size_t>(limit) - fixed : 0;
  if (keep < target.name.size()) {
    while (keep > 0 && (static_cast<unsigned char>(target.name[keep]) & 0xC0) == 0x80) --keep;
  }
  return "." + target.name.substr(0, keep) + kMark;
}

unsigned long long ModifiedNanoseconds(const struct stat& st) {
  return static_cast<unsigned long long>(st.st_mtim.tv_sec) * 1000000000ull +
         static_cast<unsigned long long>(st.st_mtim.tv_nsec);
}

std::string LeftoverName(const std::string& prefix, const struct stat& st) {
  char suffix[kLongestSuffix + 1];
  snprintf(suffix, sizeof suffix, "%llx-%llx", static_cast<unsigned long long>(st.st_ino),
           ModifiedNanoseconds(st));
  return prefix + suffix;
}

// True for a regular file of this user, with no other name, that no running
// save holds locked, and whose name is the one a save gave it.
bool IsLeftover(int folder, const std::string& prefix, const char* name) {
  if (strncmp(name, prefix.c_str(), prefix.size()) != 0) return false;
  // Looked at before it is opened: a device or pipe is never opened here.
  struct stat st;
  if (fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
      st.st_uid != geteuid() || st.st_nlink != 1 || LeftoverName(prefix, st) != name) {
    return false;
  }
  int fd = openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat opened;
  const bool ours = fstat(fd, &opened) == 0 && opened.st_dev == st.st_dev &&
                    opened.st_ino == st.st_ino && flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return ours;
}

// Removes what killed saves of files of this folder left; failures are
// ignored, since a file left over does no harm.
void RemoveLeftovers(const SaveTarget& target) {
  const int saved = errno;
  const int fd = openat(target.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
  if (dir == nullptr) {
    if (fd >= 0) close(fd);
    errno = saved;
    return;
  }
  const std::string prefix = TempPrefix(target);
  while (dirent* entry = readdir(dir)) {
    if (IsLeftover(target.folder, prefix, entry->d_name)) unlinkat(target.folder, entry->d_name, 0);
  }
  closedir(dir);
  errno = saved;
}

// The name still refers to the file that was read, or to none at all (the
// file was deleted meanwhile, its folder still there); `now` is what it
// refers to.
bool StillTheFileRead(const SaveTarget& target, struct stat* now, bool* exists,
                      std::string* error) {
  // A folder removed since takes no file at all.
  if (fstat(target.folder, now) == 0 && now->st_nlink == 0) return Fail(error, ENOENT);
  *exists = fstatat(target.folder, target.name.c_str(), now, AT_SYMLINK_NOFOLLOW) == 0;
  if (!*exists) return errno == ENOENT || Fail(error, errno);
  return SameFile(target, *now) || FailWith(error, file_error::kReplacedSinceRead);
}

// The content, flushed to disk, with the old file's permissions and (when
// the system lets this user give it away) owner.
bool Fill(int fd, const struct stat* old, const std::vector<std::string_view>& pieces) {
  if (fchmod(fd, old != nullptr ? (old->st_mode & 07777) : 0600) != 0) return false;
  if (old != nullptr && (old->st_uid != geteuid() || old->st_gid != getegid())) {
    // Anyone but a privileged user makes the new file their own, as an
    // editor saving it would.
    if (fchown(fd, old->st_uid, old->st_gid) != 0) errno = 0;
  }
  return WriteAll(fd, pieces) && fsync(fd) == 0;
}

// Gives the written unnamed file its leftover name.
bool NameUnnamed(const SaveTarget& target, NewFile* file) {
  struct stat st;
  if (fstat(file->fd, &st) != 0) return false;
  file->name = LeftoverName(TempPrefix(target), st);
  if (linkat(file->fd, "", target.folder, file->name.c_str(), AT_EMPTY_PATH) == 0) return true;
  // Without the privilege that the call above needs, through /proc.
  char self[40];
  snprintf(self, sizeof self, "/proc/self/fd/%d", file->fd);
  return linkat(AT_FDCWD, self, target.folder, file->name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool WriteNamed(const SaveTarget& target, const struct stat* old,
                const std::vector<std::string_view>& pieces, NewFile* file) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::random_device random;
  for (int attempt = 0; file->fd < 0; ++attempt) {
    file->name = TempPrefix(target);
    for (int n = 0; n < 12; ++n) file->name += kLetters[random() % (sizeof kLetters - 1)];
    file->fd = openat(target.folder, file->name.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    if (file->fd < 0 && (errno != EEXIST || attempt == 9)) return false;
  }
  return Fill(file->fd, old, pieces);
}

// Writes the new file; false with errno set and nothing left behind.
bool WriteNewFile(const SaveTarget& target, const struct stat* old,
                  const std::vector<std::string_view>& pieces, NewFile* file) {
#ifdef O_TMPFILE
  file->fd = openat(target.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (file->fd >= 0) {
    // Locked, so that a clean-up never takes it between its link and rename.
    if (flock(file->fd, LOCK_EX) == 0 && Fill(file->fd, old, pieces) && NameUnnamed(target, file)) {
      return true;
    }
    const int code = errno;
    close(file->fd);
    file->fd = -1;
    file->name.clear();
    // Written but not linkable here (no /proc): written again under a name.
    if (code != ENOENT && code != EPERM && code != EXDEV) return errno = code, false;
  } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    return false;
  }
#endif
  if (WriteNamed(target, old, pieces, file)) return true;
  const int code = errno;
  if (file->fd >= 0) {
    close(file->fd);
    unlinkat(target.folder, file->name.c_str(), 0);
    file->fd = -1;
  }
  errno = code;
  return false;
}

void Discard(const SaveTarget& target, NewFile* file) {
  const int saved = errno;
  unlinkat(target.folder, file->name.c_str(), 0);
  close(file->fd);
  errno = saved;
}

bool WriteSpecial(const SaveTarget& target, const std::vector<std::string_view>& pieces,
                  std::string* error) {
  if (!WriteAll(target.special, pieces)) return Fail(error, errno);
  // Devices and pipes cannot be synced; that is not a failure of the write.
  if (fsync(target.special) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
    return Fail(error, errno);
  }
  return true;
}

}  // namespace

bool ReplaceContent(SaveTarget& target, const std::vector<std::string_view>& pieces,
                    std::string* error) {
  if (target.special >= 0) return WriteSpecial(target, pieces, error);
  struct stat old;
  bool exists = false;
  if (!StillTheFileRead(target, &old, &exists, error)) return false;
  RemoveLeftovers(target);

  NewFile file;
  if (!WriteNewFile(target, exists ? &old : nullptr, pieces, &file)) {
    // A folder that takes no new file: the file itself may still be written.
    if (exists && (errno == EACCES || errno == EPERM)) return RewriteInPlace(target, pieces, error);
    return Fail(error, errno);
  }
  // Checked again at the last moment: the name may have been taken while
  // the new file was written.
  if (!StillTheFileRead(target, &old, &exists, error)) {
    Discard(target, &file);
    return false;
  }
  if (renameat(target.folder, file.name.c_str(), target.folder, target.name.c_str()) != 0) {
    const int code = errno;
    Discard(target, &file);
    // A file mounted on its own, another user's file in a sticky folder, a
    // name on another file system: the file can only be rewritten.
    if (exists && (code == EBUSY || code == EPERM || code == EXDEV || code == EACCES)) {
      return RewriteInPlace(target, pieces, error);
    }
    return Fail(error, code);
  }
  // The new file is the one held from now on (its clean-up lock let go): a
  // later save checks against it.
  flock(file.fd, LOCK_UN);
  close(target.held);
  target.held = file.fd;
  // The rename itself reaches the disk with the folder.
  fsync(target.folder);
  return true;
}

void RemoveCreated(SaveTarget& target) {
  struct stat st;
  if (target.created && target.folder >= 0 &&
      fstatat(target.folder, target.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISREG(st.st_mode) && SameFile(target, st) && st.st_size == 0) {
    unlinkat(target.folder, target.name.c_str(), 0);
  }
  target.created = false;
}

}  // namespace platform
