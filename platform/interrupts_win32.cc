#include <windows.h>

#include <cstring>

#include "platform/Interrupts.h"

namespace platform {
namespace {

volatile LONG gInterrupted = 0;

// The exit code of a program ended by a second interrupt, as cmd shows one
// ended by Ctrl-C.
constexpr UINT kEndedAtOnce = 0xC000013A;

// Runs on a thread of its own. Ctrl-C and Ctrl-Break are noted (a second
// one ends the program at once). Closing the console ends the program when
// this returns, so the handler waits a little for the program to end at its
// own point first.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  if (InterlockedExchange(&gInterrupted, 1) != 0 && event != CTRL_CLOSE_EVENT) {
    ExitProcess(kEndedAtOnce);
  }
  if (event == CTRL_CLOSE_EVENT) Sleep(4000);
  return TRUE;
}

}  // namespace

void CatchInterrupts(bool interruptsReads) {
  // A console read returns at Ctrl-C by itself; nothing else to choose.
  (void)interruptsReads;
  static bool installed = false;
  if (!installed) installed = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

bool Interrupted() { return InterlockedCompareExchange(&gInterrupted, 0, 0) != 0; }

std::string QuotedForConsole(const std::string& argument) {
  // cmd splits at blanks and acts on these; a file name cannot hold a '"'.
  static const char kSpecial[] = " \t&|<>^()%!;,=\"";
  bool plain = !argument.empty();
  for (char c : argument) plain = plain && std::strchr(kSpecial, c) == nullptr;
  return plain ? argument : "\"" + argument + "\"";
}

}  // namespace platform
