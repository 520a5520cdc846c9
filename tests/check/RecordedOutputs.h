// Outputs of the programs kept as expected files, byte for byte: each run as
// OUTPUTS/NAME.out, holding the command line, standard output, standard
// error (after "[stderr]", when there is any) and the exit code. With
// TARVO_UPDATE_OUTPUTS=1 the files are written instead (review the
// difference before committing it); otherwise a difference fails the test
// with the first line that differs.
//
// Only what differs from one run to the next is replaced, in every output:
//   an address given to Replace, as "127.0.0.1:PORT"  ->  its name (<server>)
//   an address where nothing listens (NoServer)        ->  <no-server>
//   a folder given to Replace                          ->  its name (<dir>)
//   the folder of the programs                         ->  <bin>
//   a backup's stamp (20261207T143000+0100)            ->  <stamp>
// The expected outputs are those of the Linux build: under a launcher the
// tests are skipped.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/E2E.h"

namespace outputs {

const std::string kOutputDir = TARVO_SOURCE_DIR "/tests/check/outputs";

// TarvoCheck with a terminal as standard input on which `answer` is typed,
// as a technician answers the checked import's question; standard output and
// standard error go to files of their own.
inline e2e::Run RunOnTerminal(const std::vector<std::string>& args, const std::string& cwd,
                              const std::string& answer) {
  return e2e::RunCheckOnTerminal(args, answer, cwd, false);
}

// The runs of one test, each normalised and set against its expected file.
class RecordedOutputs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("TARVO_LAUNCHER") != nullptr) GTEST_SKIP() << "outputs of the Linux build";
    Replace(std::filesystem::path(e2e::CheckPath()).parent_path().string(), "<bin>");
  }

  void Replace(const std::string& from, const std::string& to) { replace_.emplace_back(from, to); }
  // Taken once an emulator listens, so that it is none of theirs.
  const std::string& NoServer() {
    if (noServer_.empty()) Replace(noServer_ = e2e::NoServer(), "<no-server>");
    return noServer_;
  }

  void Expect(const std::string& name, const std::string& program,
              const std::vector<std::string>& args, const e2e::Run& run) {
    std::string got = "$ " + program;
    for (const std::string& a : args) got += " " + a;
    got += "\n" + run.out + (run.err.empty() ? "" : "[stderr]\n" + run.err);
    got = Normalised(got) + "[exit " + std::to_string(run.exitCode) + "]\n";
    const std::string path = kOutputDir + "/" + name + ".out";
    if (std::getenv("TARVO_UPDATE_OUTPUTS") != nullptr) {
      std::filesystem::create_directories(kOutputDir);
      e2e::WriteFile(path, got);
    } else if (!std::filesystem::exists(path)) {
      ADD_FAILURE() << path << " is missing (TARVO_UPDATE_OUTPUTS=1 writes it)\n" << got;
    } else {
      CompareLines(name, e2e::ReadFile(path), got);
    }
  }

 private:
  std::string Normalised(std::string text) {
    // The longer first, so that no address is taken for the start of another.
    std::stable_sort(replace_.begin(), replace_.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    for (const auto& [from, to] : replace_) {
      for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
      }
    }
    static const std::regex stamp(R"(\d{8}T\d{6}[+-]\d{4})");
    return std::regex_replace(text, stamp, "<stamp>");
  }

  // The first line that differs, from each side.
  static void CompareLines(const std::string& name, const std::string& expected,
                           const std::string& got) {
    if (got == expected) return;
    const size_t at = static_cast<size_t>(
        std::mismatch(expected.begin(), expected.end(), got.begin(), got.end()).first -
        expected.begin());
    const size_t start = at == 0 ? 0 : expected.rfind('\n', at - 1) + 1;  // npos + 1 is 0
    const auto line = [start](const std::string& s) {
      return start >= s.size() ? "(end of output)" : s.substr(start, s.find('\n', start) - start);
    };
    const auto number =
        std::count(expected.begin(), expected.begin() + static_cast<long>(start), '\n') + 1;
    ADD_FAILURE() << name << ".out differs first at line " << number
                  << "\n  expected: " << line(expected) << "\n  got:      " << line(got)
                  << "\n(TARVO_UPDATE_OUTPUTS=1 rewrites the file)";
  }

  std::vector<std::pair<std::string, std::string>> replace_;
  std::string noServer_;
};

}  // namespace outputs
