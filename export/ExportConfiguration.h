#pragma once

#include <cstdint>

// Set by the driver for VERSION; read by the export's record loops.
extern bool gVersionOnly;

// Exports the controller's configuration into the file at path. 0 when every
// table was exported, -1 at the first failure.
int32_t ExportConfiguration(const char* path, bool pam, bool company, bool gsc, bool ipt);
