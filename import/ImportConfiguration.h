#pragma once

#include <cstdint>
#include <cstdio>

class CProfile;
class ClientLibrary;

// Writes the records of the file at path into the controller through
// library, printing on standard output. 0 after the last step, -1 when the
// file cannot be read or a step stops at a failure.
int32_t ImportConfiguration(const char* path, ClientLibrary& library);

// The import of a file already open: every record is written through
// library, every line IMPORT prints goes to out. The same 0 or -1.
int32_t RunImport(CProfile& profile, ClientLibrary& library, std::FILE* out);
