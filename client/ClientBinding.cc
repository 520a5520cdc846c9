#include "client/ClientBinding.h"

#include <cstdint>

namespace {

uint32_t LittleEndian(const std::string& bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = width; i-- > 0;) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

}  // namespace

int ExecutableBits(const std::string& head) {
  // The DOS header starts "MZ" and holds at 0x3C the offset of "PE\0\0",
  // which the 16-bit machine code follows.
  if (head.size() < 0x40 || head.compare(0, 2, "MZ") != 0) return 0;
  const size_t pe = LittleEndian(head, 0x3C, 4);
  if (pe > head.size() || head.size() - pe < 6 ||
      head.compare(pe, 4, std::string("PE\0\0", 4)) != 0) {
    return 0;
  }
  switch (LittleEndian(head, pe + 4, 2)) {
    case 0x014C:  // i386
      return 32;
    case 0x8664:  // x64
    case 0xAA64:  // ARM64
      return 64;
    default:
      return 0;
  }
}

std::string MissingLibraryLine(const std::string& folder) {
  return "TarvoClient.dll is not in " + folder +
         ": copy the controller maker's TarvoClient.dll into the program's folder.";
}

std::string OtherBitnessLine(int libraryBits) {
  const std::string bits = std::to_string(libraryBits);
  return "TarvoClient.dll is a " + bits + "-bit library: use the " + bits +
         "-bit TarvoExtract (TarvoExtract-" TARVO_VERSION "-win" + bits + ".zip).";
}

std::string NotALibraryLine(const std::string& path) {
  return path + " is not a Windows library: copy the controller maker's TarvoClient.dll again.";
}

std::string UnloadableLine(const std::string& path, unsigned long systemError) {
  return path + " cannot be loaded (Windows error " + std::to_string(systemError) +
         "): install the controller maker's client software, which brings what it needs.";
}

std::string MissingFunctionLine(const std::string& name) {
  return "TarvoClient.dll has no function " + name +
         ": use the controller maker's TarvoClient.dll (TarvoCheck LIBRARY lists what it has).";
}
