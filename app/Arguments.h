// The command line, read into run settings without side effects.
#pragma once

#include "profile/Text.h"

// What a run does, as the arguments decide it.
struct RunSettings {
  enum class Usage {
    kNone,        // complete: log on and run a procedure
    kTooFew,      // fewer than two arguments after the program name
    kNoFileName,  // no argument that could be the file name
  };

  Usage usage = Usage::kNone;
  bool importCommand = false;  // without a command word the run exports
  bool versionOnly = false;    // VERSION sets it; nothing clears it
  Text fileName = Text("");
  Text server = Text("127.0.0.1");
  bool pam = false;
  bool company = false;
  bool gsc = false;
  bool ipt = false;
};

// Scans argv[1] to argv[argc - 1]. Keywords match in any letter case and in
// any position; the first other argument is the file name (unless it is
// empty), every later one replaces the server. After the scan /IPT implies
// /GSC, /GSC implies /PAM, and PAM and Company are never both set.
RunSettings ParseArguments(int argc, const char* const* argv);

// Exact usage texts, each with a blank before the line feed.
extern const char kUsageWithVersion[];
extern const char kUsageWithoutVersion[];
