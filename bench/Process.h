// Runs a program as a child process and reports what it cost.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct ProcessRun {
  int exitCode = -1;
  double seconds = 0;     // wall time from start to end
  long peakKb = 0;        // the program's peak resident memory
  double cpuSeconds = 0;  // the program's user and system time
  std::string out;        // standard output; standard error is discarded
};

ProcessRun RunProcess(const std::vector<std::string>& argv);

}  // namespace bench
