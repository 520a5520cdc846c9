// Helpers of the export's end-to-end tests: run TarvoExtract against an
// emulator and bring its output into a form that can be compared exactly.
#pragma once

#include <string>
#include <vector>

#include "tests/support/E2E.h"

namespace exporttest {

// "\n" becomes "\r\n", so that expected files can be written as plain text.
std::string Crlf(const std::string& text);

// The value of every DateGenerated line replaced by "<date>" (the stamp
// follows the clock and the user's locale).
std::string MaskDate(const std::string& file);

// What the program printed after its connecting line: the export's own
// output, without the driver's banner.
std::string AfterConnect(const std::string& out);

struct Result {
  int exitCode = 0;
  std::string out;   // AfterConnect of standard output
  std::string err;
  std::string file;  // the file's bytes, DateGenerated masked
};

// Runs "TarvoExtract <command> <path> <server> <options...>".
Result RunExport(e2e::Emulator& emu, const std::string& path,
                 const std::vector<std::string>& options = {},
                 const std::string& command = "EXPORT");

// Calls of the given name in the emulator's journal, as their argument lists.
std::vector<std::string> CallsNamed(e2e::Emulator& emu, const std::string& call);

}  // namespace exporttest
