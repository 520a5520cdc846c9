// TarvoCheck LIBRARY [server]: which client library the programs use, read
// only: its file, version and bitness, each function and the name it was
// found under (Windows), DllVersion and, with a server, the logon and
// ServerVersion. The first command on a new site.
#pragma once

#include <string>
#include <vector>

#include "client/ClientBinding.h"

// The report of `binding` into *text: the file, then DllVersion or, with a
// server, the logon, DllVersion and ServerVersion. Returns 0 when the
// library is usable (and, with a server, the logon and both versions work),
// -1 otherwise.
int DescribeLibrary(const ClientBinding& binding, const std::string* server, std::string* text);

// Binds the library as the programs do and reports it; operands are the
// command's own (none, or the server).
int LibraryReport(const std::vector<std::string>& operands, std::string* text);
