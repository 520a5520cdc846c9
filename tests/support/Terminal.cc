// TarvoCheck run with a terminal as its standard input, for the checked
// import's question.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/E2E.h"

namespace e2e {

Run RunCheckOnTerminal(const std::vector<std::string>& args, const std::string& answer,
                       const std::string& cwd, bool errToOut) {
  Run run{-1, "", ""};
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    ADD_FAILURE() << "no pseudo-terminal";
    return run;
  }
  const std::string slave = ptsname(master), logs = TempDir();
  const std::string out = logs + "/out", err = logs + "/err";
  std::vector<std::string> argv = {CheckPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    setsid();
    close(master);
    dup2(open(slave.c_str(), O_RDWR), 0);
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    if (errToOut) {
      dup2(1, 2);
    } else {
      dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    }
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    alarm(60);  // a run that waits for more is ended (SIGALRM: exit 142)
    execv(raw[0], raw.data());
    _exit(127);
  }
  const std::string typed = answer + "\n";
  EXPECT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  int status = 0;
  waitpid(pid, &status, 0);
  close(master);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = ReadFile(out);
  if (!errToOut) run.err = ReadFile(err);
  return run;
}

}  // namespace e2e
