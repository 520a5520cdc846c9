// The process entry: arguments, banner, logon, one procedure.
#pragma once

#include <cstdint>

#include "app/Arguments.h"
#include "export/ExportConfiguration.h"

class ClientLibrary;

// The two procedures a run can end in; tests put their own in place.
struct Procedures {
  int32_t (*importConfiguration)(const char* path, ClientLibrary& library);
  int32_t (*exportConfiguration)(const char* path, ClientLibrary& library,
                                 const ExportOptions& options);
};

extern const char kBanner[];

// Runs the procedure that the settings choose through library and returns its
// result.
int32_t Dispatch(const RunSettings& settings, ClientLibrary& library, const Procedures& procedures);

// The whole run; the result is the exit code (-1 for a usage error or a
// refused logon, else the procedure's result).
int TarvoMain(int argc, char** argv);
