#include "tests/support/E2E.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "emulator/protocol/Protocol.h"

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;
using nlohmann::json;

// Tests reach nothing but loopback: the stand-in library, in this process and
// in every program it starts, resolves only addresses and "localhost".
[[maybe_unused]] const bool kOffline = setenv("TARVO_CLIENT_OFFLINE", "1", 1) == 0;

// Temporary folders live until the test process ends.
struct TempDirs {
  std::vector<std::string> paths;
  ~TempDirs() {
    std::error_code ignored;
    for (const std::string& p : paths) std::filesystem::remove_all(p, ignored);
  }
};
TempDirs& Dirs() {
  static TempDirs dirs;
  return dirs;
}

std::vector<char*> Argv(const std::vector<std::string>& args) {
  std::vector<char*> out;
  for (const std::string& a : args) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

bool ReadSome(int fd, std::string& into) {
  char buffer[65536];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    into.append(buffer, static_cast<size_t>(n));
    return true;
  }
  return false;
}

int ExitCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// One request to a running emulator; false when it cannot be reached.
bool Exchange(int port, const json& request, json& reply) {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval tv{30, 0};
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  std::string frame = tarvo_wire::Frame(request.dump());
  ok = ok && send(s, frame.data(), frame.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(frame.size());
  auto readAll = [&](char* into, size_t count) {
    size_t got = 0;
    while (got < count) {
      ssize_t n = recv(s, into + got, count - got, 0);
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    return true;
  };
  unsigned char head[4];
  ok = ok && readAll(reinterpret_cast<char*>(head), 4);
  std::string body;
  if (ok) {
    body.resize(tarvo_wire::GetLength(head));
    ok = body.empty() || readAll(&body[0], body.size());
  }
  close(s);
  if (!ok) return false;
  reply = json::parse(body, nullptr, false);
  return reply.is_object();
}

}  // namespace

std::string TarvoPath() {
  const char* env = std::getenv("TARVO_EXTRACT");
  return env != nullptr && *env != '\0' ? env : TARVO_EXTRACT_PATH;
}

std::string CheckPath() {
  const char* env = std::getenv("TARVO_CHECK");
  return env != nullptr && *env != '\0' ? env : TARVO_CHECK_PATH;
}

std::string EmulatorPath() { return TARVO_EMULATOR_PATH; }

std::string TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                        "/tarvo-e2e-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a folder under " << pattern << ": " << std::strerror(errno);
    return std::string();
  }
  Dirs().paths.push_back(buffer.data());
  return buffer.data();
}

std::vector<std::string> FilesBeginning(const std::string& dir, const std::string& prefix) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return names;
  while (dirent* e = readdir(d)) {
    if (std::string(e->d_name).rfind(prefix, 0) == 0) names.push_back(dir + "/" + e->d_name);
  }
  closedir(d);
  return names;
}

std::string WithoutDate(const std::string& bytes) {
  const size_t at = bytes.find("DateGenerated=");
  return at == std::string::npos ? bytes : bytes.substr(0, at) + bytes.substr(bytes.find('\n', at));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string NoServer() {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);  // nothing listens there now
  return "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

Run RunCommand(const std::vector<std::string>& argv, const std::string& cwd, int timeoutMs) {
  Run run{-1, "", ""};
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return run;
  }
  std::vector<char*> args = Argv(argv);
  pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  bool outOpen = true, errOpen = true, exited = false, timedOut = false;
  int status = 0;
  // Reads until the process has ended and its pipes are drained. A helper it
  // leaves behind (wineserver) may hold the pipes open, so the end of the
  // process, not the end of the pipes, ends the run.
  while (true) {
    if (!exited && waitpid(pid, &status, WNOHANG) == pid) exited = true;
    pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
    bool got = false;
    if (poll(fds, 2, exited ? 0 : 20) > 0) {
      if (fds[0].revents != 0) {
        if (ReadSome(out[0], run.out)) got = true; else outOpen = false;
      }
      if (fds[1].revents != 0) {
        if (ReadSome(err[0], run.err)) got = true; else errOpen = false;
      }
    }
    if (exited && !got) break;
    if (!exited && Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      exited = true;
      timedOut = true;
    }
  }
  close(out[0]);
  close(err[0]);
  run.exitCode = ExitCode(status);
  if (timedOut) {
    ADD_FAILURE() << argv[0] << " did not end within " << timeoutMs << " ms and was killed";
  }
  return run;
}

namespace {

Run RunLaunched(const std::string& program, const std::vector<std::string>& args,
                const std::string& cwd) {
  std::vector<std::string> argv;
  const char* launcher = std::getenv("TARVO_LAUNCHER");
  if (launcher != nullptr) {
    std::istringstream words(launcher);
    std::string word;
    while (words >> word) argv.push_back(word);
  }
  argv.push_back(program);
  argv.insert(argv.end(), args.begin(), args.end());
  Run run = RunCommand(argv, cwd, 120000);
  // Now and then wine does not start a program at all (its server ending
  // just as the next program starts): nothing on standard output and a
  // failure code. Both programs print their banner or report before
  // anything else, so such a run is started once more; a program that fails
  // by itself fails the second time too.
  if (launcher != nullptr && run.out.empty() && run.exitCode != 0) {
    std::fprintf(stderr, "e2e: no output and exit code %d under %s, started again: %s\n",
                 run.exitCode, launcher, run.err.c_str());
    run = RunCommand(argv, cwd, 120000);
  }
  if (launcher != nullptr) {
    // A Windows program writes its console text in text mode: CR LF is read
    // as the LF that the program printed.
    for (std::string* text : {&run.out, &run.err}) {
      std::string plain;
      for (size_t i = 0; i < text->size(); ++i) {
        if ((*text)[i] == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n') continue;
        plain += (*text)[i];
      }
      *text = plain;
    }
  }
  return run;
}

}  // namespace

Run RunTarvo(const std::vector<std::string>& args, const std::string& cwd) {
  return RunLaunched(TarvoPath(), args, cwd);
}

void KeepJson(const std::string& document) {
  const char* dir = std::getenv("TARVO_JSON_DIR");
  if (dir == nullptr || *dir == '\0') return;
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  // Test programs run in parallel: the process id and a count name the file.
  static int count = 0;
  WriteFile(std::string(dir) + "/" + std::to_string(getpid()) + "-" + std::to_string(++count) +
                ".json",
            document);
}

Run RunCheck(const std::vector<std::string>& args, const std::string& cwd) {
  Run run = RunLaunched(CheckPath(), args, cwd);
  for (const std::string& a : args) {
    if (strcasecmp(a.c_str(), "/JSON") == 0) KeepJson(run.out);
  }
  return run;
}

Emulator::Emulator(const std::string& fixtureJson, const std::vector<std::string>& options) {
  dir_ = TempDir();
  db_ = dir_ + "/controller.db";
  std::string fixture = dir_ + "/fixture.json";
  WriteFile(fixture, fixtureJson);
  std::string log = dir_ + "/emulator.log";

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return;
  }
  std::vector<std::string> argv = {EmulatorPath(), "--db", db_, "--seed", fixture, "--port", "0"};
  argv.insert(argv.end(), options.begin(), options.end());
  std::vector<char*> args = Argv(argv);
  pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a crashed test
    int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(out[1], 1);
    dup2(logFd, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  pid_ = pid;

  // The emulator prints one line once it accepts connections.
  std::string line;
  auto deadline = Clock::now() + std::chrono::seconds(20);
  while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
    pollfd fd = {out[0], POLLIN, 0};
    if (poll(&fd, 1, 50) > 0 && !ReadSome(out[0], line)) break;  // closed: it has ended
  }
  close(out[0]);
  size_t colon = line.rfind(':');
  if (line.find('\n') != std::string::npos && colon != std::string::npos) {
    port_ = std::atoi(line.c_str() + colon + 1);
  }
  if (port_ == 0) {
    Kill();
    ADD_FAILURE() << "the emulator did not start: " << ReadFile(log);
  }
}

Emulator::~Emulator() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  auto deadline = Clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      ADD_FAILURE() << "the emulator did not stop on SIGTERM";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::string Emulator::Server() const { return "127.0.0.1:" + std::to_string(port_); }

void Emulator::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

json Emulator::Inspect(const std::string& call, const json& args) {
  json reply;
  if (pid_ <= 0 || !Exchange(port_, {{"call", call}, {"args", args}}, reply)) {
    ADD_FAILURE() << "cannot reach the emulator for " << call;
    return nullptr;
  }
  if (reply.value("code", -1) != 0) {
    ADD_FAILURE() << call << " refused: " << reply.value("message", "");
    return nullptr;
  }
  return reply["out"];
}

json Emulator::Dump(const char* option) {
  Run run = RunCommand({EmulatorPath(), "--db", db_, option});
  json out = json::parse(run.out, nullptr, false);
  if (run.exitCode != 0 || out.is_discarded()) {
    ADD_FAILURE() << "cannot read the emulator's database: " << run.err;
    return nullptr;
  }
  return out;
}

json Emulator::State() {
  if (pid_ <= 0) return Dump("--dump-state");
  json out = Inspect("$state", json::array());
  return out.is_object() ? out["state"] : json(nullptr);
}

json Emulator::Journal() {
  if (pid_ <= 0) return Dump("--dump-journal");
  json out = Inspect("$journal", json::array());
  return out.is_object() ? out["journal"] : json(nullptr);
}

void Emulator::ClearJournal() { Inspect("$clearJournal", json::array()); }

void Emulator::Load(const json& fixture) { Inspect("$load", json::array({fixture})); }

}  // namespace e2e
