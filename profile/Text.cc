#include "profile/Text.h"

#include <cstdarg>
#include <cstdio>

// Invariants kept by every way of making a Text:
// - at most kMaxLength units; anything longer is cut at kMaxLength (the rest
//   is dropped, never wrapped into a negative length);
// - an absent Text has no units.
//
// Format relies on the process keeping the "C" conventions for numbers: the
// program never calls setlocale for LC_NUMERIC or LC_ALL (only LC_TIME, for
// the generation stamp), so "%.3f" always writes a "." and never groups.

namespace {

int Clamp(size_t n) {
  return n > static_cast<size_t>(Text::kMaxLength) ? Text::kMaxLength : static_cast<int>(n);
}

}  // namespace

Text::Text(const char* narrow) {
  if (narrow == nullptr) return;
  present_ = true;
  size_t n = 0;
  while (narrow[n] != '\0' && n < static_cast<size_t>(kMaxLength)) ++n;
  units_.resize(n);
  for (size_t i = 0; i < n; ++i) units_[i] = static_cast<unsigned char>(narrow[i]);
}

Text::Text(const std::string& narrow) : present_(true) {
  const int n = Clamp(narrow.size());
  units_.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    units_[static_cast<size_t>(i)] = static_cast<unsigned char>(narrow[static_cast<size_t>(i)]);
}

Text Text::FromUnits(const char16_t* units, int length) {
  Text t;
  if (units == nullptr) return t;
  t.present_ = true;
  if (length <= 0) return t;
  if (length > kMaxLength) length = kMaxLength;
  t.units_.assign(units, units + length);
  return t;
}

char16_t Text::At(int pos) const {
  if (pos < 1 || pos > Length()) return 0;
  return units_[static_cast<size_t>(pos - 1)];
}

std::string Text::Narrow() const {
  if (!present_) return "<null>";
  std::string out(units_.size(), '\0');
  for (size_t i = 0; i < units_.size(); ++i) {
    const char16_t u = units_[i];
    // A unit outside one byte has no narrow form; its low byte would be a
    // different letter, so it is marked instead.
    out[i] = u > 0xFF ? '?' : static_cast<char>(static_cast<unsigned char>(u));
  }
  return out;
}

int Text::Format(const char* format, ...) {
  char buffer[kMaxFormatted + 1];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  present_ = true;
  units_.clear();
  if (written <= 0) return 0;  // an encoding error leaves the Text empty
  const int n = written > kMaxFormatted ? kMaxFormatted : written;
  units_.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    units_[static_cast<size_t>(i)] = static_cast<unsigned char>(buffer[i]);
  return n;
}

int32_t Text::ToInt() const {
  // Unsigned accumulation: digits past 2^32 wrap around like 32-bit
  // arithmetic does, without signed overflow.
  uint32_t value = 0;
  bool negative = false;
  for (char16_t u : units_) {
    if (u == u' ' || u == u',') continue;
    if (u == u'+') {
      negative = false;
    } else if (u == u'-') {
      negative = true;
    } else if (u >= u'0' && u <= u'9') {
      value = value * 10u + static_cast<uint32_t>(u - u'0');
    } else {
      break;
    }
  }
  if (negative) value = 0u - value;
  // Two's complement reading of the 32 bits, spelled out.
  if (value <= 0x7FFFFFFFu) return static_cast<int32_t>(value);
  return static_cast<int32_t>(static_cast<int64_t>(value) - 0x100000000LL);
}
