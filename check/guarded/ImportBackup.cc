// The checked import's files: the backup EXPORT before the import and the
// EXPORT after it, each into a new file beside the configuration file.
#include <cstdio>
#include <string>

#include "check/guarded/CheckedImport.h"
#include "export/ExportConfiguration.h"
#include "platform/Guarded.h"
#include "profile/Profile.h"

std::string StampedName(const std::string& path, const char* which, const std::string& stamp) {
  const size_t slash = path.find_last_of("/\\");
  const size_t nameBegin = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.find_last_of('.');
  // A dot that begins the name (".site") or stands in a folder's name is no
  // extension.
  if (dot == std::string::npos || dot <= nameBegin) dot = path.size();
  const std::string extension = dot < path.size() ? path.substr(dot) : ".ini";
  return path.substr(0, dot) + "." + which + "-" + stamp + extension;
}

bool ExportIntoNewFile(const std::string& path, ClientLibrary& library, std::FILE* out,
                       std::string* error) {
  if (!platform::CreateNewFile(path, error)) return false;
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
    // Half a controller under a backup's name would be taken for a whole one.
    platform::RemoveFile(path);
    *error = "the EXPORT failed (see its message above)";
    return false;
  }
  return true;
}
