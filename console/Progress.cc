#include "console/Progress.h"

#include "platform/Platform.h"

Progress::Progress(const char* table)
    : Progress(table, stderr, platform::StderrIsTerminal(), std::chrono::milliseconds(250)) {}

Progress::Progress(const char* table, std::FILE* out, bool enabled,
                   std::chrono::milliseconds interval)
    : table_(table), out_(out), enabled_(enabled), interval_(interval) {}

Progress::~Progress() { Clear(); }

void Progress::Show(int32_t i, int32_t count) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (shownOnce_ && now - last_ < interval_) return;
  shownOnce_ = true;
  last_ = now;
  const std::string text = table_ + " " + std::to_string(i) + "/" + std::to_string(count);
  // Blanks cover what a longer earlier text left.
  const size_t width = text.size() > shownLength_ ? text.size() : shownLength_;
  std::fprintf(out_, "\r%-*s\r", static_cast<int>(width), text.c_str());
  std::fflush(out_);
  shownLength_ = text.size();
}

void Progress::Clear() {
  if (!enabled_ || shownLength_ == 0) return;
  std::fprintf(out_, "\r%*s\r", static_cast<int>(shownLength_), "");
  std::fflush(out_);
  shownLength_ = 0;
}
