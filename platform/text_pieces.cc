#include "platform/Platform.h"

namespace platform {

size_t Utf8PieceEnd(std::string_view utf8, size_t begin, size_t maxBytes) {
  if (utf8.size() - begin <= maxBytes) return utf8.size();
  const size_t end = begin + maxBytes;
  // A UTF-8 character is at most four bytes: its first byte lies at most
  // three before a continuation byte (10xxxxxx).
  for (size_t back = 0; back < 4 && end - back > begin; ++back) {
    if ((static_cast<unsigned char>(utf8[end - back]) & 0xC0) != 0x80) return end - back;
  }
  return end;
}

}  // namespace platform
