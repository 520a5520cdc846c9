// Whole-file reads and safe replacement of the configuration file. No handle
// that these procedures open is inherited by child processes, and sizes are
// 64-bit. Failures come back as short texts in the style of strerror ("No such
// file or directory", "Permission denied", "Is a directory", "No space left on
// device"), never as exceptions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The largest configuration file read: far beyond any station's (a few
// megabytes), small enough that holding it in memory stays safe. A larger
// file, or a device that never ends, is refused with "File too large".
constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;

// The file that a load for update read, held for its save: where it is (its
// folder stays open on POSIX, the links on the way are followed once, at the
// load) and which file it is (on POSIX the file itself, held open; on
// Windows its volume and file index), so that the save goes to that very
// file and never to one that another program put under its name meanwhile.
// A device or pipe stays open for its write.
struct SaveTarget;
struct SaveTargetClose {
  void operator()(SaveTarget* target) const;
};
using SaveTargetPtr = std::unique_ptr<SaveTarget, SaveTargetClose>;

struct FileLoad {
  std::string bytes;
  // The file was missing and has just been created, empty (owner-only
  // permissions on POSIX, since the file holds passwords).
  bool created = false;
  // Not a regular file (a device or a pipe): what is written goes straight
  // into it; with `forUpdate` its content is not read.
  bool special = false;
  // Set by a load for update: where ReplaceContent writes.
  SaveTargetPtr target;
};

// Reads the whole file. With `forUpdate` the file must also be writable: a
// missing file is created, and a file that cannot be opened for update fails.
// The bytes are one version of the file: a file that another program changes
// while it is read is read again, and refused ("File changed while being
// read") when it keeps changing.
bool LoadFile(const std::string& path, bool forUpdate, FileLoad* load, std::string* error);

// Replaces the content of the file that the load read by the pieces, in order.
//
// A regular file is replaced atomically: the pieces go to a new file in the
// same folder (unnamed while it is written, where the system allows it),
// which is flushed to disk and then renamed over the old one, so that the
// file holds either its old content or the whole new one whatever happens
// meanwhile. The file keeps its permissions (a new file is owner-only).
// When the folder takes no new file, or refuses the rename (a file mounted
// on its own, another user's file in a sticky folder), the file is rewritten
// in place instead: its space is reserved first, so that a full disk is found
// before a byte changes, then the pieces are written and flushed, and only
// then is the file cut to its new length. That rewrite is not atomic: a kill
// or a power cut while it runs leaves a mix of new and old bytes.
//
// A name that no longer refers to the file that was read (another file or a
// link was put in its place) is refused: "File replaced since it was read".
// A file deleted since is created again. A device or pipe is written directly.
// A new file left behind by a killed save is removed by the next save in its
// folder, and nothing else is: a name alone never proves a leftover.
//
// What each guarantee covers, per platform:
// - Atomic replace. POSIX: the new file is unnamed while written where the
//   system allows (O_TMPFILE), else named ".NAME.tarvo-" and 12 letters; it
//   is fsync'd, renamed over the name, and the folder fsync'd; its mode is
//   the old file's, and its owner and group too where the user may give it
//   away. Windows: the new file is GetTempFileName's "tvx" file in the same
//   folder, flushed, then put in place by ReplaceFile (which keeps the old
//   file's attributes and access rights) or MoveFileEx (write-through); the
//   hidden, system, archive and not-indexed marks are copied first.
// - In-place rewrite. POSIX: when the folder takes no new file (EACCES,
//   EPERM) or refuses the rename (EBUSY, EPERM, EXDEV, EACCES); the space is
//   claimed with fallocate, only the bytes that differ are written, and the
//   file is cut last. Windows: when the folder takes no new file or the
//   replacement is refused (access denied, a sharing or lock violation); the
//   space beyond the old end is claimed, the whole content written, and the
//   file cut last. Neither is atomic.
// - Identity check. POSIX: the folder (links followed once, at the load) and
//   the file read or created stay open from the load to the save, so that
//   the file's inode is not freed and its number not given to another file;
//   the name, not followed if it is a link, is compared with the held file
//   (device and inode) before the new file is written and again before the
//   rename, and the in-place rewrite opens the name without following a
//   link and compares again. Windows: the final path is fixed at the load
//   and the volume and file index remembered; the file is not held open
//   meanwhile; the name, a link or folder never matching, is compared at the
//   same two moments and by the in-place rewrite.
// - Leftovers. POSIX: an unnamed new file leaves nothing; a save killed
//   between naming and renaming it leaves ".NAME.tarvo-INODE-MTIME", which
//   the next save in the folder removes; a file of random letters (no
//   unnamed files) that a killed save left is never removed. Windows: a killed save leaves its
//   "tvx" file, which nothing removes. On both, a failed save removes its new file.
bool ReplaceContent(SaveTarget& target, const std::vector<std::string_view>& pieces,
                    std::string* error);

// Removes the file that the load created, when it is still that file and
// still empty: a run that failed before anything was saved leaves no trace.
void RemoveCreated(SaveTarget& target);

}  // namespace platform
