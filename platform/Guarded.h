// What TarvoCheck's checked import asks of the system: a time stamp for the
// names of its backup files, a file made new (never one that exists) and
// named in one step, the folder of its files, and whether standard input is a console that a person
// answers on.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The local time with its offset from UTC in ISO 8601's basic form,
// "20261207T143000+0100"; empty when the clock cannot be read.
std::string LocalIsoStamp();

// Creates the file, holding `bytes` (empty by default) and owner-only where
// the system has owners; false, with a reason ("File exists" for a name
// already taken), when it exists or cannot be made. The name is UTF-8 as the
// file procedures take it.
bool CreateNewFile(const std::string& path, std::string* error, std::string_view bytes = {});

// Gives the file `from` the name `to` in one step, never replacing a file
// named `to` ("File exists"); false, with a reason, when it cannot.
bool RenameNew(const std::string& from, const std::string& to, std::string* error);

// Makes the folder, owner-only where the system has owners; an existing
// folder is kept as it is. False, with a reason, when it cannot be made.
bool MakeFolder(const std::string& path, std::string* error);

// Removes the file; false when it cannot.
bool RemoveFile(const std::string& path);

// True when standard input is a console or terminal, where a person can
// answer a question; false for a file, a pipe or the null device.
bool StdinIsConsole();

}  // namespace platform
