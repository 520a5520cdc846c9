#pragma once

#include <cstdint>

// Writes the records of the file at path into the controller. 0 after the
// last step, -1 when a step stops at a failure.
int32_t ImportConfiguration(const char* path);
