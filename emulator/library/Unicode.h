// Conversions between the library's 16-bit code units and the UTF-8 that
// travels on the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvo_lib {

// Surrogate pairs become one code point; a lone surrogate, which UTF-8 cannot
// carry, becomes U+FFFD.
std::string Utf8FromUnits(const uint16_t* units, size_t count);

// The text must be valid UTF-8 (the JSON parser guarantees it); code points
// above U+FFFF become surrogate pairs.
std::vector<uint16_t> UnitsFromUtf8(const std::string& text);

}  // namespace tarvo_lib
