// The checked import's files: the backup EXPORT before the import and the
// EXPORT after it, each into a new file beside the configuration file (or in
// the /BACKUP folder). A file is filled under a name of its own and takes its
// stamped name only when whole, so that a stopped run never leaves an empty
// or cut backup under a name the way back would take.
#include <cstdio>
#include <string>
#include <vector>

#include "check/guarded/CheckedImport.h"
#include "check/guarded/ReplayLibrary.h"
#include "export/ExportConfiguration.h"
#include "platform/Guarded.h"
#include "platform/Platform.h"
#include "profile/FileEncoding.h"
#include "profile/Profile.h"

namespace {

using file_encoding::Mark;

// Where the name's extension begins, or its end when it has none. A dot
// that begins the name (".site") or stands in a folder's name is no
// extension.
size_t ExtensionAt(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t nameBegin = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.find_last_of('.');
  return dot == std::string::npos || dot <= nameBegin ? path.size() : dot;
}

// The name a file is filled under: the same for every run, so that the next
// run finds and names one that a stopped run left ("site.before.partial",
// then "site.before.2.partial").
std::string PartialName(const std::string& base, const char* which, int n) {
  const std::string number = n == 1 ? "" : "." + std::to_string(n);
  return base.substr(0, ExtensionAt(base)) + "." + which + number + ".partial";
}

void Say(std::FILE* out, const std::string& text) {
  platform::WriteText(out, text);
  std::fflush(out);
}

// EXPORT into the file (made new with the mark unless made already); its
// lines go to out. A failed export's file is removed: half a controller
// would be taken for a whole one.
bool ExportInto(const std::string& path, Mark mark, bool made, ClientLibrary& library,
                std::FILE* out, std::string* error) {
  if (!made && !platform::CreateNewFile(path, error, file_encoding::MarkBytes(mark))) {
    return false;
  }
  int32_t result = -1;
  {
    // The file made above is the one loaded and saved: EXPORT's own save
    // (a new file renamed over it), never a rewrite of another file.
    CProfile profile(path.c_str(), true);
    if (!profile.Open(error)) {
      platform::RemoveFile(path);
      return false;
    }
    result = RunExport(profile, library, out, ExportOptions{});
  }
  if (result != 0) {
    platform::RemoveFile(path);
    *error = "the EXPORT failed (see its message above)";
    return false;
  }
  return true;
}

// A free name to fill (the file made empty), naming on out the ones that
// stopped runs left; they are never removed, as a user's file may look alike.
bool FreePartial(const GuardedRun& run, const char* which, std::string* partial,
                 std::string* error) {
  const std::string base = BackupBase(run);
  std::vector<std::string> left;
  for (int n = 1; n <= 9; ++n) {
    *partial = PartialName(base, which, n);
    if (platform::CreateNewFile(*partial, error)) break;
    if (*error != "File exists") return false;
    left.push_back(*partial);
    partial->clear();
  }
  if (!left.empty()) {
    std::string names;
    for (const std::string& name : left) names += (names.empty() ? "" : ", ") + name;
    Say(run.out,
        "Left by a stopped run, not removed (look at it, then delete it): " + names + "\n");
  }
  if (partial->empty()) *error = "no free name to fill: remove the files named above";
  return !partial->empty();
}

// The stamped name, "-2" to "-9" after the stamp when one is taken meanwhile.
bool GiveStampedName(const GuardedRun& run, const char* which, const std::string& partial,
                     std::string* path, std::string* error) {
  for (int n = 1; n <= 9; ++n) {
    const std::string stamp = n == 1 ? run.stamp : run.stamp + "-" + std::to_string(n);
    const std::string name = StampedName(BackupBase(run), which, stamp);
    if (platform::RenameNew(partial, name, error)) {
      *path = name;
      return true;
    }
    if (*error != "File exists") break;
  }
  platform::RemoveFile(partial);
  return false;
}

}  // namespace

std::string StampedName(const std::string& path, const char* which, const std::string& stamp) {
  const size_t dot = ExtensionAt(path);
  const std::string extension = dot < path.size() ? path.substr(dot) : ".ini";
  return path.substr(0, dot) + "." + which + "-" + stamp + extension;
}

std::string BackupBase(const GuardedRun& run) {
  if (run.backupFolder.empty()) return run.path;
  const size_t slash = run.path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? run.path : run.path.substr(slash + 1);
  const char last = run.backupFolder.back();
  return run.backupFolder + (last == '/' || last == '\\' ? "" : "/") + name;
}

bool ExportWhole(const GuardedRun& run, const char* which, ReplayLibrary& library, BackupFile* file,
                 std::string* error) {
  using Mode = ReplayLibrary::Mode;
  std::string partial;
  if (!FreePartial(run, which, &partial, error)) return false;
  library.SetMode(Mode::kRecord);
  if (!ExportInto(partial, Mark::kNone, true, library, run.out, error)) return false;
  // A file without a mark carries one byte per character. Texts beyond that
  // are kept by a file with a mark: the same EXPORT again from the answers
  // kept, its lines not shown twice.
  const ReplayLibrary::Width width = library.TextWidth();
  file->mark = width == ReplayLibrary::Width::kOneByte   ? Mark::kNone
               : width == ReplayLibrary::Width::kUnicode ? Mark::kUtf8
                                                         : Mark::kUtf16Le;
  if (file->mark != Mark::kNone) {
    std::FILE* null = platform::OpenNullOutput();
    platform::RemoveFile(partial);
    if (null == nullptr) {
      *error = "cannot open the null device";
      return false;
    }
    library.SetMode(Mode::kReplay);
    const bool saved = ExportInto(partial, file->mark, false, library, null, error);
    std::fclose(null);
    if (!saved) return false;
  }
  return GiveStampedName(run, which, partial, &file->path, error);
}

std::string EncodingNote(file_encoding::Mark mark) {
  if (mark == Mark::kNone) return std::string();
  return std::string(" (") + (mark == Mark::kUtf8 ? "UTF-8" : "UTF-16") +
         " with a byte-order mark: the controller holds texts beyond one byte per character)";
}
