#include "check/cli/LibraryReport.h"

#include <cstdint>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "check/report/ReportJson.h"
#include "check/text/JsonText.h"
#include "client/CheckResult.h"
#include "client/LibString.h"
#include "client/LogOn.h"
#include "profile/Text.h"

using json = nlohmann::ordered_json;

namespace {

// What LIBRARY tells, as lines for people and, when asked, as JSON keys.
struct Teller {
  std::string* text = nullptr;
  json facts = json::object();
  std::string failure;  // the first line that says what failed

  void Line(const std::string& label, const std::string& value) {
    std::string padded = label + ":";
    padded.resize(16, ' ');
    *text += padded + value + "\n";
  }
  void Fail(const std::string& line) {
    if (failure.empty()) failure = line;
  }
  // What a text of the library says of it: the project's stand-in says so
  // in its version resource's description (Windows) and in its DllVersion
  // text (unless its emulator plays a maker's version). Told once, when
  // first known; a text without the mark proves nothing, so standIn stays
  // true or null.
  void StandIn(const std::string& said) {
    if (facts["standIn"] == true || said.find("stand-in") == std::string::npos) return;
    facts["standIn"] = true;
    Line("Stand-in",
         "the project's stand-in, which talks to tarvo-emulator only; a station needs the "
         "maker's library");
  }
};

json TextOrNull(const std::string& s) { return s.empty() ? json() : json(Utf8Of(s, true)); }

// The file, its version, its bitness and, when the functions were looked up
// by name, each one and the export it was found under.
void DescribeFile(const ClientBinding& binding, Teller* t) {
  t->Line("Client library", binding.path.empty() ? "(unknown)" : binding.path);
  if (!binding.fileVersion.empty()) t->Line("File version", binding.fileVersion);
  if (!binding.fileDescription.empty()) t->Line("Description", binding.fileDescription);
  if (binding.bits != 0) t->Line("Bitness", std::to_string(binding.bits) + "-bit");
  json functions = json::array();
  for (const FoundFunction& function : binding.functions) {
    functions.push_back({{"name", function.name}, {"foundAs", TextOrNull(function.foundAs)}});
  }
  t->facts = {{"file", TextOrNull(binding.path)},
              {"fileVersion", TextOrNull(binding.fileVersion)},
              {"fileDescription", TextOrNull(binding.fileDescription)},
              {"standIn", nullptr},
              {"bits", binding.bits == 0 ? json() : json(binding.bits)},
              {"functions", functions},
              {"logon", nullptr},
              {"dllVersion", nullptr},
              {"serverVersion", nullptr}};
  if (!binding.fileDescription.empty()) t->StandIn(binding.fileDescription);
  if (binding.functions.empty()) return;
  size_t found = 0;
  for (const FoundFunction& function : binding.functions) {
    if (!function.foundAs.empty()) ++found;
  }
  t->Line("Functions",
          std::to_string(found) + " of " + std::to_string(binding.functions.size()) + " found");
  for (const FoundFunction& function : binding.functions) {
    std::string name = "  " + function.name;
    name.resize(28, ' ');
    *t->text += name + (function.foundAs.empty() ? "(missing)" : function.foundAs) + "\n";
  }
}

// One of the library's version calls after the logon: its text, or the
// failure (a failure of the run) and false.
bool Version(ClientLibrary& library, const char* call, const char* key,
             int32_t (ClientLibrary::*get)(BSTR*), Teller* t) {
  LibString version;
  const int32_t code = (library.*get)(version.Out());
  if (code != 0) {
    const std::string why = ResultText(library, code).Narrow();
    const std::string failed = "failed - " + why + ".";
    t->Line(call, failed);
    t->facts[key] = {{"version", nullptr}, {"error", Utf8Of(why, true)}};
    t->Fail(std::string(call) + " " + failed);
    return false;
  }
  t->Line(call, version.ToText().Narrow());
  t->facts[key] = {{"version", Utf8Of(version.ToText().Narrow(), true)}, {"error", nullptr}};
  if (get == &ClientLibrary::DllVersion) t->StandIn(version.ToText().Narrow());
  return true;
}

int Describe(const ClientBinding& binding, const std::string* server, Teller* t) {
  DescribeFile(binding, t);
  if (binding.library == nullptr) {
    *t->text += binding.problem + "\n";
    t->Fail(binding.problem);
    return -1;
  }
  ClientLibrary& library = *binding.library;
  if (server == nullptr) {
    // The library's rules allow no call before the logon.
    t->Line("DllVersion", "needs a server: TarvoCheck LIBRARY <server> logs on and asks it");
    return 0;
  }
  const int32_t logon = LogOn(library, Text(*server));
  if (logon != 0) {
    const std::string line =
        "Logon to " + *server + " failed - " + ResultText(library, logon).Narrow() + ".";
    *t->text += line + "\n";
    t->facts["logon"] = false;
    t->Fail(line);
    return -1;
  }
  t->Line("Logon", *server + " done");
  t->facts["logon"] = true;
  const bool dllVersion =
      Version(library, "DllVersion", "dllVersion", &ClientLibrary::DllVersion, t);
  const bool serverVersion =
      Version(library, "ServerVersion", "serverVersion", &ClientLibrary::ServerVersion, t);
  return dllVersion && serverVersion ? 0 : -1;
}

}  // namespace

int DescribeLibrary(const ClientBinding& binding, const std::string* server, std::string* text,
                    json* facts, std::string* failure) {
  Teller t;
  t.text = text;
  const int code = Describe(binding, server, &t);
  if (facts != nullptr) *facts = std::move(t.facts);
  if (failure != nullptr) *failure = t.failure;
  return code;
}

int LibraryReport(const std::vector<std::string>& operands, std::string* text, bool asJson) {
  const ClientBinding binding = BindClientLibrary();
  const std::string* server = operands.empty() ? nullptr : &operands[0];
  if (!asJson) return DescribeLibrary(binding, server, text);
  std::string lines, failure;
  json facts;
  const int code = DescribeLibrary(binding, server, &lines, &facts, &failure);
  json doc = JsonDocument("LIBRARY", {}, server);
  doc["exitCode"] = code;
  if (code != 0) doc["error"] = Utf8Of(failure, true);
  doc["library"] = std::move(facts);
  *text = DumpJson(doc);
  return code;
}
