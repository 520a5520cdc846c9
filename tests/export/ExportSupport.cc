#include "tests/export/ExportSupport.h"

#include <nlohmann/json.hpp>

namespace exporttest {

std::string Crlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string MaskDate(const std::string& file) {
  static const std::string kKey = "DateGenerated=";
  std::string out = file;
  size_t at = 0;
  while ((at = out.find(kKey, at)) != std::string::npos) {
    const size_t from = at + kKey.size();
    const size_t to = out.find("\r\n", from);
    out.replace(from, (to == std::string::npos ? out.size() : to) - from, "<date>");
    at = from;
  }
  return out;
}

std::string AfterConnect(const std::string& out) {
  const size_t at = out.find("Connecting to ");
  if (at == std::string::npos) return "<no connecting line>\n" + out;
  const size_t end = out.find('\n', at);
  return end == std::string::npos ? std::string() : out.substr(end + 1);
}

Result RunExport(e2e::Emulator& emu, const std::string& path,
                 const std::vector<std::string>& options, const std::string& command) {
  std::vector<std::string> args = {command, path, emu.Server()};
  args.insert(args.end(), options.begin(), options.end());
  const e2e::Run run = e2e::RunTarvo(args);
  Result r;
  r.exitCode = run.exitCode;
  r.out = AfterConnect(run.out);
  r.err = run.err;
  r.file = MaskDate(e2e::ReadFile(path));
  return r;
}

std::vector<std::string> CallsNamed(e2e::Emulator& emu, const std::string& call) {
  std::vector<std::string> calls;
  for (const auto& entry : emu.Journal()) {
    if (entry.value("call", "") == call) calls.push_back(entry.value("args", nlohmann::json::array()).dump());
  }
  return calls;
}

}  // namespace exporttest
