// Owners of library strings, so that "released right after use" holds on
// every return path.
#pragma once

#include "platform/LibraryString.h"
#include "profile/Text.h"

// An out-value string: reset to null before the call, freed when the owner
// goes out of scope or is reset.
class LibString {
 public:
  LibString() = default;
  LibString(const LibString&) = delete;
  LibString& operator=(const LibString&) = delete;
  ~LibString() { Reset(); }

  BSTR* Out() { return &s_; }           // for the library's out-parameter
  BSTR Get() const { return s_; }
  Text ToText() const { return Text::FromLibraryString(s_); }
  void Reset() {
    if (s_ != nullptr) SysFreeString(s_);
    s_ = nullptr;
  }

 private:
  BSTR s_ = nullptr;
};

// An in-value string made from a Text right before a call and freed after it.
class LibStringArg {
 public:
  explicit LibStringArg(const Text& t) : s_(t.ToLibraryString()) {}
  LibStringArg(const LibStringArg&) = delete;
  LibStringArg& operator=(const LibStringArg&) = delete;
  ~LibStringArg() {
    if (s_ != nullptr) SysFreeString(s_);
  }
  BSTR Get() const { return s_; }

 private:
  BSTR s_;
};
