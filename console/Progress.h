// Progress of a long table on standard error: "<table> <i>/<count>", for an
// operator watching a terminal. Nothing is shown when standard error is not a
// terminal, and standard output is never touched.
//
// The progress text is written from the start of the line and the cursor is
// put back there, so a line printed on standard output next (a failure line)
// starts at the left margin; Clear() blanks the text and is called before each
// count line.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class Progress {
 public:
  // Shown on standard error when it is a terminal, at most four times a second.
  explicit Progress(const char* table);
  // For tests: where to write, whether to write at all, and how often.
  Progress(const char* table, std::FILE* out, bool enabled, std::chrono::milliseconds interval);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Record i of count is being worked on. The first call shows at once; later
  // ones only once the interval has passed since the last refresh.
  void Show(int32_t i, int32_t count);
  // Blanks what was shown; nothing when nothing is shown.
  void Clear();
  // Whether anything is ever shown: work done only for the progress can be
  // left out otherwise.
  bool Enabled() const { return enabled_; }

 private:
  std::string table_;
  std::FILE* out_;
  bool enabled_;
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point last_{};
  bool shownOnce_ = false;
  size_t shownLength_ = 0;  // characters on the line now; 0 when clear
};
