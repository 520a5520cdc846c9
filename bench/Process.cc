#include "bench/Process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace bench {

ProcessRun RunProcess(const std::vector<std::string>& argv) {
  ProcessRun run;
  // A child forked from this (large) process inherits its peak memory, so
  // the program is started by /usr/bin/time, which reports the peak of a
  // child of its own.
  char peakFile[] = "/tmp/tarvo-bench-peak-XXXXXX";
  int peakFd = mkstemp(peakFile);
  if (peakFd >= 0) close(peakFd);
  std::vector<std::string> command = {"/usr/bin/time", "-f", "%M %U %S", "-o", peakFile};
  command.insert(command.end(), argv.begin(), argv.end());
  std::vector<char*> args;
  for (const std::string& a : command) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return run;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    // Standard error is not a terminal, so the program shows no progress.
    int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(out[1], 1);
    dup2(devnull, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  char buffer[4096];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) run.out.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid) {
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (FILE* peak = std::fopen(peakFile, "r")) {
    // A program that fails leaves a "Command exited..." line first.
    char line[256];
    while (std::fgets(line, sizeof line, peak) != nullptr) {
      double user = 0, system = 0;
      if (std::sscanf(line, "%ld %lf %lf", &run.peakKb, &user, &system) == 3) {
        run.cpuSeconds = user + system;
      }
    }
    std::fclose(peak);
  }
  unlink(peakFile);
  return run;
}

}  // namespace bench
