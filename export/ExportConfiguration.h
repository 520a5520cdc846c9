#pragma once

#include <cstdint>
#include <cstdio>

class CProfile;
class ClientLibrary;

// What the command line asks of an export besides the file.
struct ExportOptions {
  bool versionOnly = false;  // VERSION: only the tables that carry firmware versions
  // The integration sections; any of the four adds them.
  bool pam = false;
  bool company = false;
  bool gsc = false;
  bool ipt = false;
};

// Exports the controller's configuration, read through library, into the file
// at path, printing on standard output. 0 when every table was exported and
// the file saved, -1 when the file cannot be written or at the first failure.
int32_t ExportConfiguration(const char* path, ClientLibrary& library, const ExportOptions& options);

// The export into a file already open for writing: every value is read
// through library, every line EXPORT prints goes to out, and the profile is
// saved on every path. The same 0 or -1.
int32_t RunExport(CProfile& profile, ClientLibrary& library, std::FILE* out,
                  const ExportOptions& options);
