// Writing a file's pieces (a section each) in few system calls, whatever the
// number of sections: small pieces are gathered into blocks of about a
// megabyte, a piece of a block's size or more goes out on its own. Both file
// layers write through it with their own call that writes all of n bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

template <typename WriteBytes>  // bool(const char* data, size_t size)
bool WriteGathered(const std::vector<std::string_view>& pieces, WriteBytes write) {
  constexpr size_t kBlock = 1 << 20;
  std::string block;
  for (std::string_view piece : pieces) {
    if (block.size() + piece.size() > kBlock) {
      if (!write(block.data(), block.size())) return false;
      block.clear();
    }
    if (piece.size() >= kBlock) {
      if (!write(piece.data(), piece.size())) return false;
    } else {
      if (block.capacity() < kBlock) block.reserve(kBlock);
      block.append(piece);
    }
  }
  return write(block.data(), block.size());
}

}  // namespace platform
