// A client library that answers every call with success: each count and
// identifier 1 (a port and a ZigBee device 5, where IMPORT's walks of them
// begin), each amount 1.5, and each text the one given (none: texts are left
// unset), so that EXPORT writes one record of each table and IMPORT finds
// every record.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "client/ClientLibrary.h"

class OneOfEachLibrary : public ClientLibrary {
 public:
  OneOfEachLibrary() = default;
  explicit OneOfEachLibrary(std::u16string text) : text_(std::move(text)), texts_(true) {}
#define TARVO_ANSWER(result, name, parameters, arguments) \
  result name parameters override {                       \
    call_ = #name;                                        \
    return Answer<result> arguments;                      \
  }
  TARVO_CLIENT_FUNCTIONS(TARVO_ANSWER)
#undef TARVO_ANSWER

 private:
  template <typename Result, typename... Args>
  Result Answer(Args... args) {
    (Fill(args), ...);
    return Result{};
  }
  template <typename T>
  void Fill(T) {}
  void Fill(int32_t* v) {
    const bool five = std::strcmp(call_, "GetPortByOrdinal") == 0 ||
                      std::strcmp(call_, "GetZigBeeByOrdinal") == 0;
    *v = five ? 5 : 1;
  }
  void Fill(int16_t* v) { *v = 1; }
  void Fill(double* v) { *v = 1.5; }
  void Fill(BSTR* v) {
    if (!texts_) return;
    *v = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text_.data()),
                           static_cast<uint32_t>(text_.size()));
  }

  std::u16string text_;
  bool texts_ = false;
  const char* call_ = "";
};
