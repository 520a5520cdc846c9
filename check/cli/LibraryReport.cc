#include "check/cli/LibraryReport.h"

#include <cstdint>

#include "client/CheckResult.h"
#include "client/LibString.h"
#include "client/LogOn.h"
#include "profile/Text.h"

namespace {

void Line(std::string* text, const std::string& label, const std::string& value) {
  std::string padded = label + ":";
  padded.resize(16, ' ');
  *text += padded + value + "\n";
}

// The file, its version, its bitness and, when the functions were looked up
// by name, each one and the export it was found under.
void DescribeFile(const ClientBinding& binding, std::string* text) {
  Line(text, "Client library", binding.path.empty() ? "(unknown)" : binding.path);
  if (!binding.fileVersion.empty()) Line(text, "File version", binding.fileVersion);
  if (binding.bits != 0) Line(text, "Bitness", std::to_string(binding.bits) + "-bit");
  if (binding.functions.empty()) return;
  size_t found = 0;
  for (const FoundFunction& function : binding.functions) {
    if (!function.foundAs.empty()) ++found;
  }
  Line(text, "Functions",
       std::to_string(found) + " of " + std::to_string(binding.functions.size()) + " found");
  for (const FoundFunction& function : binding.functions) {
    std::string name = "  " + function.name;
    name.resize(28, ' ');
    *text += name + (function.foundAs.empty() ? "(missing)" : function.foundAs) + "\n";
  }
}

// One of the library's version calls: its text, or the failure and false.
bool Version(ClientLibrary& library, const char* call, int32_t (ClientLibrary::*get)(BSTR*),
             std::string* text) {
  LibString version;
  const int32_t code = (library.*get)(version.Out());
  if (code != 0) {
    Line(text, call, "failed - " + ResultText(library, code).Narrow() + ".");
    return false;
  }
  Line(text, call, version.ToText().Narrow());
  return true;
}

}  // namespace

int DescribeLibrary(const ClientBinding& binding, const std::string* server, std::string* text) {
  DescribeFile(binding, text);
  if (binding.library == nullptr) {
    *text += binding.problem + "\n";
    return -1;
  }
  ClientLibrary& library = *binding.library;
  if (server == nullptr) {
    // A library may give its version only once logged on: without a server
    // its failure says nothing against the library.
    Version(library, "DllVersion", &ClientLibrary::DllVersion, text);
    return 0;
  }
  const int32_t logon = LogOn(library, Text(*server));
  if (logon != 0) {
    *text += "Logon to " + *server + " failed - " + ResultText(library, logon).Narrow() + ".\n";
    return -1;
  }
  Line(text, "Logon", *server + " done");
  const bool dllVersion = Version(library, "DllVersion", &ClientLibrary::DllVersion, text);
  const bool serverVersion = Version(library, "ServerVersion", &ClientLibrary::ServerVersion, text);
  return dllVersion && serverVersion ? 0 : -1;
}

int LibraryReport(const std::vector<std::string>& operands, std::string* text) {
  const ClientBinding binding = BindClientLibrary();
  return DescribeLibrary(binding, operands.empty() ? nullptr : &operands[0], text);
}
