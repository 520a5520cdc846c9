#include "export/ExportConfiguration.h"

#include <cstdio>
#include <iterator>
#include <string>

#include "client/ConsoleLine.h"
#include "client/LibString.h"
#include "export/ExportContext.h"
#include "export/ExportSteps.h"
#include "platform/Platform.h"
#include "profile/Profile.h"

namespace {

void ReportUnwritable(std::FILE* out, const char* path, const std::string& reason) {
  PrintLine(out, ConsoleLine()
                     .Utf8("Cannot write configuration file ")
                     .Utf8(path)
                     .Utf8(" - ")
                     .Utf8(reason.empty() ? "unknown error" : reason)
                     .Utf8(".\n"));
}

// The Application section: what the file is, which program wrote it and
// when, and the versions of the library and the server it came from.
bool ExportApplication(ExportContext& ctx) {
  ctx.profile.SetSection("Application");
  WriteFixed(ctx, "Name", "Tarvo2Serial service configuration");
  WriteFixed(ctx, "IniVersion", "22.02");
  ctx.profile.WriteString("DateGenerated", Text(platform::LocalTimeStamp()));

  LibString dllVersion;
  if (!ctx.Check("DllVersion failed.", ctx.library.DllVersion(dllVersion.Out()))) return false;
  WriteLibraryText(ctx, "ClientVersion", dllVersion);

  LibString serverVersion;
  if (!ctx.Check("ServerVersion failed.", ctx.library.ServerVersion(serverVersion.Out()))) {
    return false;
  }
  WriteLibraryText(ctx, "ServerVersion", serverVersion);
  return true;
}

struct FixedKey {
  const char* key;
  const char* value;
};

void WriteSection(ExportContext& ctx, const char* section, const FixedKey* keys, size_t count) {
  ctx.profile.SetSection(section);
  for (size_t i = 0; i < count; ++i) WriteFixed(ctx, keys[i].key, keys[i].value);
}

// The settings of the serial integration service. The Server numbers are the
// ones the driver logs on with.
void ExportIntegration(ExportContext& ctx, bool company, bool gsc, bool ipt) {
  static const FixedKey kLog[] = {{"Screen", "1"}, {"File", "1"}, {"Socket", "0"}};
  static const FixedKey kServer[] = {
      {"Name", "<local>"}, {"CallPort", "5123"}, {"EventsPort", "5124"}, {"CallTimeout", "10000"}};
  static const FixedKey kPort[] = {{"Name", "COM2"}};
  static const FixedKey kCompany[] = {
      {"Baudrate", "9600"}, {"DataBits", "8"}, {"Parity", "N"}, {"StopBits", "1"}};
  static const FixedKey kPam[] = {{"Baudrate", "4800"},     {"DataBits", "7"},
                                  {"Parity", "O"},          {"StopBits", "1"},
                                  {"PriceDspFormat", "1"},  {"VolumeDspFormat", "10"},
                                  {"ValueDspFormat", "10"}, {"PumpType", "4"}};
  static const FixedKey kGsc[] = {{"GSC", "Yes"},          {"Name", "192.168.0.100"},
                                  {"CommandPort", "6001"}, {"EventPort", "6003"},
                                  {"LogAll", "No"},        {"AutoClear", "No"}};
  static const FixedKey kIpt[] = {{"IPT", "Yes"},       {"Terminal", "1"}, {"Port", "COM1"},
                                  {"Baudrate", "9600"}, {"DataBits", "8"}, {"Parity", "N"},
                                  {"StopBits", "1"}};
  const FixedKey protocol[] = {{"Name", company ? "Company" : "PAM"}};

  WriteSection(ctx, "Log", kLog, std::size(kLog));
  WriteSection(ctx, "Server", kServer, std::size(kServer));
  WriteSection(ctx, "Port", kPort, std::size(kPort));
  WriteSection(ctx, "Protocol", protocol, std::size(protocol));
  // Both protocols' settings are written whichever one Protocol names.
  WriteSection(ctx, "Company", kCompany, std::size(kCompany));
  WriteSection(ctx, "Pam", kPam, std::size(kPam));
  if (gsc) WriteSection(ctx, "GSC", kGsc, std::size(kGsc));
  if (ipt) WriteSection(ctx, "IPT", kIpt, std::size(kIpt));
}

bool ExportAll(ExportContext& ctx, const ExportOptions& options) {
  if (!ExportApplication(ctx)) return false;
  if (options.pam || options.company || options.gsc || options.ipt) {
    ExportIntegration(ctx, options.company, options.gsc, options.ipt);
  }
  for (size_t i = 0; i < kExportStepCount; ++i) {
    if (!RunExportStep(ctx, kExportSteps[i])) return false;
  }
  return true;
}

}  // namespace

int32_t RunExport(CProfile& profile, ClientLibrary& library, std::FILE* out,
                  const ExportOptions& options) {
  ExportContext ctx{profile, library, out, options.pam, options.versionOnly, Text()};
  const bool complete = ExportAll(ctx, options);
  // Saved on every path: after a failed call, what was written before it
  // stays in the file.
  std::string error;
  if (!profile.Save(&error)) {
    ReportUnwritable(out, profile.Path().c_str(), error);
    return -1;
  }
  if (!complete) return -1;
  std::fprintf(out, "\nAll done.\n");
  return 0;
}

int32_t ExportConfiguration(const char* path, ClientLibrary& library,
                            const ExportOptions& options) {
  CProfile profile(path, true);
  std::string error;
  // A file that cannot be created or written is reported before any table is
  // read, not discovered after a whole run that then claims success.
  if (!profile.Open(&error)) {
    ReportUnwritable(stdout, path, error);
    return -1;
  }
  return RunExport(profile, library, stdout, options);
}
