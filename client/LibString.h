// Library strings and Text: the conversions between them, and owners that
// free library strings on every return path ("released right after use").
#pragma once

#include "platform/LibraryString.h"
#include "profile/Text.h"

// The library string's units up to the first NUL (at most Text::kMaxLength);
// null gives an absent Text.
Text TextFromLibraryString(const OLECHAR* s);

// A new library string of the Text's units (an absent Text gives an empty
// one). The caller frees it with SysFreeString.
BSTR ToLibraryString(const Text& text);

// An out-value string: reset to null before the call, freed when the owner
// goes out of scope or is reset.
class LibString {
 public:
  LibString() = default;
  LibString(const LibString&) = delete;
  LibString& operator=(const LibString&) = delete;
  ~LibString() { Reset(); }

  BSTR* Out() { return &s_; }  // for the library's out-parameter
  BSTR Get() const { return s_; }
  Text ToText() const { return TextFromLibraryString(s_); }
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
  explicit LibStringArg(const Text& t) : s_(ToLibraryString(t)) {}
  LibStringArg(const LibStringArg&) = delete;
  LibStringArg& operator=(const LibStringArg&) = delete;
  ~LibStringArg() {
    if (s_ != nullptr) SysFreeString(s_);
  }
  BSTR Get() const { return s_; }

 private:
  BSTR s_;
};
