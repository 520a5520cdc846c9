#include "export/ExportConfiguration.h"
// Placeholder until the export lands.
bool gVersionOnly = false;
int32_t ExportConfiguration(const char*, bool, bool, bool, bool) { return -1; }
