// The client library the programs call, bound once a run knows it needs it.
//
// The programs find each function by name (client/BoundClientLibrary.h) in
// the library platform/DynamicLibrary.h gives: on Windows TarvoClient.dll of
// their own folder, loaded at run time; elsewhere the program itself, linked
// with libTarvoClient.so. A library that is missing, of the other bitness or
// without one of the functions gives no ClientLibrary but one line saying
// which and what to do.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "client/BoundClientLibrary.h"
#include "client/ClientLibrary.h"

struct ClientBinding {
  std::unique_ptr<ClientLibrary> library;  // null when the library cannot be used
  std::string problem;                     // then: the line that says why
  std::string path;                        // the library file's full path; empty if unknown
  std::string fileVersion;                 // from its version resource (Windows); empty if none
  std::string fileDescription;             // the same resource's description; empty if none
  int bits = 0;                            // 32 or 64 when known
  // A library loaded from its own file (Windows): each function and the name
  // it was found under; empty for the program itself, whose names the system
  // linked.
  std::vector<FoundFunction> functions;
};

// Binds the client library (client/BindClientLibrary.cc).
ClientBinding BindClientLibrary();

// 32 or 64 for a Windows executable or DLL whose first bytes are `head` (the
// machine of its PE header: i386, or x64 or ARM64), 0 for anything else.
int ExecutableBits(const std::string& head);

// The lines for a library that cannot be used. `folder` ends with its
// separator.
std::string MissingLibraryLine(const std::string& folder);
std::string OtherBitnessLine(int libraryBits);
std::string NotALibraryLine(const std::string& path);
std::string UnloadableLine(const std::string& path, unsigned long systemError);
std::string MissingFunctionLine(const std::string& name);
