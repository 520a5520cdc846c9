#include "platform/Platform.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace platform {

std::string LocalTimeStamp() {
  // Only the time category follows the user's locale; numbers everywhere
  // else keep the "C" conventions, so LC_NUMERIC and LC_ALL are never set.
  std::setlocale(LC_TIME, "");
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return std::string();

  char date[80];
  char time[80];
  const size_t dateLength = std::strftime(date, sizeof date, "%x", &local);
  const size_t timeLength = std::strftime(time, sizeof time, "%X", &local);

  std::string stamp(date, dateLength);
  if (dateLength > 0 && timeLength > 0) stamp += ' ';
  stamp.append(time, timeLength);
  return stamp;
}

bool WriteText(std::FILE* stream, std::string_view utf8) {
  const bool written = std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
  return std::fflush(stream) == 0 && written;
}

bool WritesCharacters(std::FILE*) { return false; }

bool StderrIsTerminal() { return isatty(2) == 1; }

std::FILE* OpenNullOutput() { return std::fopen("/dev/null", "w"); }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  return arguments;
}

void SecureStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is taken: `fd` itself, since those below it are
    // open by now.
    const int opened = open("/dev/null", O_RDWR | O_NOCTTY);
    if (opened < 0) std::abort();
    if (opened != fd) {
      if (dup2(opened, fd) != fd) std::abort();
      close(opened);
    }
  }
}

void IgnoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace platform
