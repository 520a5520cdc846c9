// Helpers for tests that call the stand-in library against a real emulator.
#pragma once

#include <string>

#include "client/TarvoClient.h"
#include "tests/support/E2E.h"

namespace libtest {

// An in-string for one call.
class In {
 public:
  explicit In(const std::u16string& text)
      : s_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<uint32_t>(text.size()))) {}
  ~In() { SysFreeString(s_); }
  In(const In&) = delete;
  In& operator=(const In&) = delete;
  operator BSTR() const { return s_; }

 private:
  BSTR s_;
};

// An out-string: null before the call, freed by the owner.
class Out {
 public:
  Out() = default;
  ~Out() { SysFreeString(s_); }
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;
  BSTR* ptr() { return &s_; }
  BSTR get() const { return s_; }
  std::u16string text() const {
    return s_ == nullptr ? u"<null>"
                         : std::u16string(reinterpret_cast<const char16_t*>(s_), SysStringLen(s_));
  }

 private:
  BSTR s_ = nullptr;
};

inline std::string Narrow(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

inline std::string Text(int32_t code) {
  BSTR s = ResultString(code);
  std::string out = Narrow(std::u16string(reinterpret_cast<const char16_t*>(s), SysStringLen(s)));
  SysFreeString(s);
  return out;
}

inline int32_t Logon(const std::string& server, int32_t timeoutMs = 5000, int32_t callPort = 5123) {
  In text(std::u16string(server.begin(), server.end()));
  return ClientLogonEx(110, 5, text, callPort, 5124, timeoutMs, 0, 0, 1024);
}

}  // namespace libtest
