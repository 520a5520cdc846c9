#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "platform/Interrupts.h"

namespace platform {
namespace {

volatile sig_atomic_t gInterrupted = 0;

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The first signal is noted; the second takes the signal's own default
// action, so that a program that does not end soon enough can still be
// ended by a person.
void OnSignal(int signal) {
  if (gInterrupted != 0) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
    return;
  }
  gInterrupted = 1;
}

}  // namespace

void CatchInterrupts(bool interruptsReads) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // Without SA_RESTART a blocking read returns EINTR; with it, the network
  // calls of the client library go on undisturbed.
  action.sa_flags = interruptsReads ? 0 : SA_RESTART;
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

bool Interrupted() { return gInterrupted != 0; }

std::string QuotedForConsole(const std::string& argument) {
  // Characters the shell never treats specially in a word.
  static const char kPlain[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_@%+=:,./-";
  bool plain = !argument.empty();
  for (char c : argument) plain = plain && c != '\0' && std::strchr(kPlain, c) != nullptr;
  if (plain) return argument;
  std::string quoted = "'";
  for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace platform
