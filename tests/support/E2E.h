// End-to-end test support: a controller emulator on a free port, the program
// run as a process, temporary folders and whole-file reads and writes.
//
//   e2e::Emulator emu(R"({"ports": [{"id": 1, "number": 1, "name": "COM1"}]})");
//   e2e::Run run = e2e::RunTarvo({"EXPORT", dir + "/site.ini", emu.Server()});
//   EXPECT_EQ(run.exitCode, 0);
//   nlohmann::json calls = emu.Journal();
//
// The program is the built TarvoExtract unless the environment variable
// TARVO_EXTRACT names another; TARVO_LAUNCHER (for example "wine") is put in
// front of it, so that the same tests can drive the Windows build.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace e2e {

class Emulator {
 public:
  // Starts an emulator seeded with the fixture, on a fresh database in a
  // temporary folder and a free port. A fixture it refuses fails the test
  // (with the emulator's message) and leaves Port() at 0. Options are more
  // of the emulator's arguments (--idle-timeout 1).
  explicit Emulator(const std::string& fixtureJson = "{}",
                    const std::vector<std::string>& options = {});
  explicit Emulator(const char* fixtureJson) : Emulator(std::string(fixtureJson)) {}
  explicit Emulator(const nlohmann::json& fixture) : Emulator(fixture.dump()) {}
  ~Emulator();
  Emulator(const Emulator&) = delete;
  Emulator& operator=(const Emulator&) = delete;

  std::string Server() const;  // "127.0.0.1:PORT", to pass to TarvoExtract
  int Port() const { return port_; }
  int Pid() const { return pid_; }
  std::string Database() const { return db_; }

  nlohmann::json State();    // current state as a fixture
  nlohmann::json Journal();  // every call received, in order
  void ClearJournal();
  // Replaces the whole state (faults included) by another fixture; the
  // journal starts empty again.
  void Load(const nlohmann::json& fixture);
  void Kill();  // SIGKILL, for lost-server tests; State and Journal still work

 private:
  nlohmann::json Inspect(const std::string& call, const nlohmann::json& args);
  nlohmann::json Dump(const char* option);

  int pid_ = -1;
  int port_ = 0;
  std::string dir_;
  std::string db_;
};

struct Run {
  int exitCode;  // as the shell sees it: 255 for -1; 128 + n for a signal n
  std::string out;
  std::string err;
};

// Runs the program with args (in cwd when given). Never hangs: a generous
// timeout kills it and fails the test. Under a launcher (a Windows program
// under wine) CR LF in its output is read as LF.
Run RunTarvo(const std::vector<std::string>& args, const std::string& cwd = "");

// Runs TarvoCheck the same way: TARVO_CHECK names another program, and
// TARVO_LAUNCHER is put in front of it as for TarvoExtract.
Run RunCheck(const std::vector<std::string>& args, const std::string& cwd = "");

// Runs TarvoCheck (no launcher) with a terminal as standard input, on which
// `answer` and a line end are typed; standard output and standard error are
// kept apart, or with errToOut both in `out` in the order written.
Run RunCheckOnTerminal(const std::vector<std::string>& args, const std::string& answer,
                       const std::string& cwd, bool errToOut);

// Keeps a JSON document that a test produced, for the schema's validation:
// written as a new file into the folder TARVO_JSON_DIR names, when it does.
// RunCheck keeps the output of every run with /JSON.
void KeepJson(const std::string& document);

// Runs any command the same way (no launcher); used for the emulator itself.
Run RunCommand(const std::vector<std::string>& argv, const std::string& cwd = "",
               int timeoutMs = 60000);

std::string TempDir();  // a fresh folder per call, removed at exit
std::string ReadFile(const std::string& path);
// The files of a folder whose names begin with prefix, as dir + "/" + name.
std::vector<std::string> FilesBeginning(const std::string& dir, const std::string& prefix);
// An exported file's bytes without its DateGenerated line.
std::string WithoutDate(const std::string& bytes);
void WriteFile(const std::string& path, const std::string& bytes);
std::string NoServer();  // "127.0.0.1:PORT" of a port where nothing listens

std::string TarvoPath();     // the program the tests run
std::string CheckPath();     // the TarvoCheck the tests run
std::string EmulatorPath();  // the built tarvo-emulator

}  // namespace e2e
