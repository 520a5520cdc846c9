#include "import/ImportConfiguration.h"
// Placeholder until the import lands.
int32_t ImportConfiguration(const char*) { return -1; }
