// Text: the program's string value. 16-bit code units, at most 32,767 of them,
// owned by value; every way of making a Text cuts longer input at 32,767. A Text is absent (never
// assigned, or assigned from a null pointer) or present; a present Text may be empty. Positions
// count from 1.
#pragma once

#include <cstdint>
#include <string>

class Text {
 public:
  static constexpr int kMaxLength = 32767;
  static constexpr int kMaxFormatted = 4095;

  Text() = default;                   // absent
  explicit Text(const char* narrow);  // each byte widened; null gives an absent Text
  explicit Text(const std::string& narrow);

  static Text FromUnits(const char16_t* units, int length);

  bool IsPresent() const { return present_; }
  int Length() const { return static_cast<int>(units_.size()); }
  // The unit at position pos (1 to Length()), or 0 outside.
  char16_t At(int pos) const;
  const std::u16string& Units() const { return units_; }

  // Byte for byte; a unit above 255 gives '?'. Absent gives "<null>".
  std::string Narrow() const;

  // printf-style into this Text (at most kMaxFormatted characters, "C"
  // number conventions whatever the user's locale). Returns the length.
  int Format(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // Blanks and "," skipped; "+" clears and "-" sets the negative mark
  // wherever they stand; digits accumulate with 32-bit wrap-around; any other
  // character ends the scan. Empty gives 0.
  int32_t ToInt() const;

  bool operator==(const Text& other) const {
    return present_ == other.present_ && units_ == other.units_;
  }
  bool operator!=(const Text& other) const { return !(*this == other); }

 private:
  std::u16string units_;
  bool present_ = false;
};
