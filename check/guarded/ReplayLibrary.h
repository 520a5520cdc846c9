// A library that reads the controller once for two readers: it keeps the
// answers of the Get calls (counts, by-ordinal and properties calls, prices,
// details) that one reader receives and gives them to the next one, so that
// the checked import's backup EXPORT and its PLAN (and the EXPORT after the
// import and its verification) make each Get call once.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "client/ClientLibraryWrapper.h"

class ReplayLibrary : public ClientLibraryWrapper {
 public:
  // kForward: every call goes to the target. kRecord: the same, and each Get
  // call's answer is kept (a later answer to the same call and arguments
  // replaces it). kReplay: a Get call kept is answered from what was kept,
  // any other call goes to the target.
  enum class Mode { kForward, kRecord, kReplay };

  explicit ReplayLibrary(ClientLibrary& target) : ClientLibraryWrapper(target) {}

  void SetMode(Mode mode) { mode_ = mode; }
  // Forgets every answer kept (the controller has been written since).
  void Forget() { answers_.clear(); }
  size_t Replayed() const { return replayed_; }

  // What the texts kept need of a file: one byte per character (none beyond
  // U+00FF), Unicode, or UTF-16 (a surrogate without its pair, which UTF-8
  // cannot carry).
  enum class Width { kOneByte, kUnicode, kLoneSurrogate };
  Width TextWidth() const;

  // One out-value as the call left it. A number is replayed as the recording
  // caller saw it: where the library left it (a field the controller does not
  // have), that is the recording caller's reset value. A library string the
  // library did not write (`written` false) is left to the replaying caller.
  struct Out {
    bool written = false;
    bool null = false;  // a library string written as null
    int64_t number = 0;
    double amount = 0.0;
    std::basic_string<OLECHAR> units;  // a library string's units, whole
  };
  struct Answer {
    int32_t result = 0;
    std::vector<Out> outs;
  };

#define TARVO_REPLAY_DECLARE(result, name, parameters, arguments) result name parameters override;
  TARVO_CLIENT_FUNCTIONS(TARVO_REPLAY_DECLARE)
#undef TARVO_REPLAY_DECLARE

 private:
  // The answer kept for the call and its in-arguments, or null.
  const Answer* Find(const std::string& key);
  void Keep(const std::string& key, Answer answer) { answers_[key] = std::move(answer); }
  template <typename Result, typename... Args>
  friend class Route;
  template <typename... Args>
  int32_t Through(const char* name, int32_t (ClientLibrary::*call)(Args...), Args... args);

  Mode mode_ = Mode::kForward;
  std::unordered_map<std::string, Answer> answers_;
  size_t replayed_ = 0;
};
