#include "app/Driver.h"

#include <cstdio>

#include "client/CheckResult.h"
#include "client/ClientBinding.h"
#include "client/ConsoleLine.h"
#include "client/LogOn.h"
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

}  // namespace

int32_t Dispatch(const RunSettings& s, ClientLibrary& library, const Procedures& procedures) {
  const std::string path = s.fileName.Narrow();
  if (s.importCommand) return procedures.importConfiguration(path.c_str(), library);
  ExportOptions options;
  options.versionOnly = s.versionOnly;
  options.pam = s.pam;
  options.company = s.company;
  options.gsc = s.gsc;
  options.ipt = s.ipt;
  return procedures.exportConfiguration(path.c_str(), library, options);
}

int TarvoMain(int argc, char** argv) {
  const RunSettings settings = ParseArguments(argc, argv);
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
  // One library for the whole run: the logon and the procedure use it. A
  // library that cannot be used is told on the line after the banner.
  const ClientBinding binding = BindClientLibrary();
  if (binding.library == nullptr) {
    PrintLine(stdout, ConsoleLine().Utf8(binding.problem).Utf8("\n"));
    return Finish(-1);
  }
  ClientLibrary& library = *binding.library;
  // The server as given on the command line, whose arguments are UTF-8.
  PrintLine(stdout, ConsoleLine()
                        .Utf8("Connecting to ")
                        .Utf8(settings.server.Narrow())
                        .Utf8(settings.importCommand ? " for import.\n" : " for export.\n"));
  std::fflush(stdout);  // visible while the logon waits for the server

  if (!CheckResult(library, stdout, "Logon failed", LogOn(library, settings.server))) {
    return Finish(-1);
  }

  const Procedures real{ImportConfiguration, ExportConfiguration};
  return Finish(Dispatch(settings, library, real));
}
