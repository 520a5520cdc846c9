#include "app/Arguments.h"

const char kUsageWithVersion[] =
    "TarvoExtract IMPORT | EXPORT | VERSION <destination INI file name> "
    "[<server name>|<server IP>] [/PAM | /Company] \n";
const char kUsageWithoutVersion[] =
    "TarvoExtract IMPORT | EXPORT <destination INI file name> "
    "[<server name>|<server IP>] [/PAM | /Company] \n";

namespace {

// ASCII-only case folding: the keywords are ASCII, and the user's locale
// must not decide what matches.
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsKeyword(const char* argument, const char* keyword) {
  for (;; ++argument, ++keyword) {
    if (Upper(*argument) != *keyword) return false;
    if (*keyword == '\0') return true;
  }
}

}  // namespace

RunSettings ParseArguments(int argc, const char* const* argv) {
  RunSettings s;
  if (argc < 3) {
    s.usage = RunSettings::Usage::kTooFew;
    return s;
  }

  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i] != nullptr ? argv[i] : "";
    if (IsKeyword(a, "IMPORT")) {
      s.importCommand = true;
    } else if (IsKeyword(a, "EXPORT")) {
      s.importCommand = false;
    } else if (IsKeyword(a, "VERSION")) {
      s.importCommand = false;
      s.versionOnly = true;
    } else if (IsKeyword(a, "/GSC")) {
      s.gsc = true;
    } else if (IsKeyword(a, "/PAM")) {
      s.pam = true;
      s.company = false;
    } else if (IsKeyword(a, "/COMPANY")) {
      s.company = true;
      s.pam = false;
    } else if (IsKeyword(a, "/IPT")) {
      s.ipt = true;
    } else if (s.fileName.Length() == 0) {
      // An empty argument leaves the file name empty, so the next ordinary
      // argument still becomes the file name.
      s.fileName = Text(a);
    } else {
      s.server = Text(a);
    }
  }

  if (s.ipt) s.gsc = true;
  if (s.gsc) {
    s.pam = true;
    s.company = false;
  }
  if (s.pam) s.company = false;

  if (s.fileName.Length() == 0) s.usage = RunSettings::Usage::kNoFileName;
  return s;
}
