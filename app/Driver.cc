#include "app/Driver.h"

#include <cstdio>

#include "client/CheckResult.h"
#include "client/ClientLibrary.h"
#include "client/LibString.h"
#include "export/ExportConfiguration.h"
#include "import/ImportConfiguration.h"

const char kBanner[] = "TarvoExtract 22.02 Copyright (c) 2026 TarvoExtract developers\n\n";

namespace {

// Everything goes to standard output; it is flushed before the process ends
// so that nothing written is lost, whatever the exit path.
int Finish(int code) {
  std::fflush(stdout);
  return code;
}

int32_t LogOn(const Text& server) {
  // The server string lives only for the call.
  LibStringArg serverString(server);
  return LinkedLibrary().ClientLogonEx(110, 5, serverString.Get(), 5123, 5124, 10000, 0, 0, 1024);
}

}  // namespace

int32_t Dispatch(const RunSettings& s, const Procedures& procedures) {
  const std::string path = s.fileName.Narrow();
  if (s.importCommand) return procedures.importConfiguration(path.c_str());
  return procedures.exportConfiguration(path.c_str(), s.pam, s.company, s.gsc, s.ipt);
}

int TarvoMain(int argc, char** argv) {
  const RunSettings settings = ParseArguments(argc, argv);
  if (settings.versionOnly) gVersionOnly = true;  // read by the export only
  switch (settings.usage) {
    case RunSettings::Usage::kTooFew:
      std::printf("%s", kUsageWithVersion);
      return Finish(-1);
    case RunSettings::Usage::kNoFileName:
      std::printf("%s", kUsageWithoutVersion);
      return Finish(-1);
    case RunSettings::Usage::kNone:
      break;
  }

  std::printf("%s", kBanner);
  std::printf("Connecting to %s for %s.\n", settings.server.Narrow().c_str(),
              settings.importCommand ? "import" : "export");
  std::fflush(stdout);  // visible while the logon waits for the server

  if (!CheckResult("Logon failed", LogOn(settings.server))) return Finish(-1);

  const Procedures real{ImportConfiguration, ExportConfiguration};
  return Finish(Dispatch(settings, real));
}
