// TarvoCheck LIBRARY [server]: which client library the programs use, read
// only: its file, version and bitness, each function and the name it was
// found under (Windows), DllVersion and, with a server, the logon and
// ServerVersion. The first command on a new site.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "client/ClientBinding.h"

// The report of `binding` into *text: the file, then DllVersion or, with a
// server, the logon, DllVersion and ServerVersion. Returns 0 when the
// library is usable (and, with a server, the logon and both versions work),
// -1 otherwise. With facts, the same as JSON into it: {"file", "fileVersion",
// "bits", "functions", "logon", "dllVersion", "serverVersion"}, each null
// where not told; *failure gets the first line that says what failed.
int DescribeLibrary(const ClientBinding& binding, const std::string* server, std::string* text,
                    nlohmann::ordered_json* facts = nullptr, std::string* failure = nullptr);

// Binds the library as the programs do and reports it; operands are the
// command's own (none, or the server). With asJson, *text is the JSON
// document.
int LibraryReport(const std::vector<std::string>& operands, std::string* text, bool asJson = false);
