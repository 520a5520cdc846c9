// Binding the client library by name: each function is found under the
// spellings a 32-bit library may give it, and the library calls reach the
// function found; a missing function and a library of the wrong kind are told
// apart.
#include "client/ClientBinding.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

int32_t TARVO_CALL FakeGetGradePrice(int32_t id, int16_t level, double* price) {
  *price = id * 10.0 + level;
  return 7;
}

int32_t TARVO_CALL FakeGetPortsCount(int32_t* count) {
  *count = 3;
  return 0;
}

// GetPortsCount under its plain name: the one a library's plain and decorated
// names both offer, and the binding must take.
int32_t TARVO_CALL PlainGetPortsCount(int32_t* count) {
  *count = 1;
  return -99;
}

// Stands for every function the test does not call.
int32_t TARVO_CALL Unused(int32_t) { return -1; }

LibraryFunction AsLibraryFunction(int32_t(TARVO_CALL* f)(int32_t, int16_t, double*)) {
  return reinterpret_cast<LibraryFunction>(f);
}

// A library that exports `names` (exported name -> function) and every other
// plain name but `absent` (as a function the test does not call), and no
// other decorated name.
FindLibraryFunction Exports(const std::map<std::string, LibraryFunction>& names,
                            const std::string& absent = "") {
  return [names, absent](const std::string& name) -> LibraryFunction {
    const auto it = names.find(name);
    if (it != names.end()) return it->second;
    if (name.find('@') != std::string::npos || name == absent) return nullptr;
    return reinterpret_cast<LibraryFunction>(&Unused);
  };
}

TEST(ClientBinding, FindsEachSpellingOfA32BitLibraryAndCallsTheFunctionFound) {
  // SetGradePrice's arguments take 4 + 4 + 8 bytes on the stack wherever it
  // runs; the others depend on the size of a pointer.
  EXPECT_EQ((StackBytes<void(int32_t, int16_t, double)>::kValue), 16u);
  EXPECT_EQ((StackBytes<void(int64_t*, int64_t)>::kValue), (sizeof(void*) + 3) / 4 * 4 + 8);

  const std::string gradePrice =
      "_GetGradePrice@" + std::to_string(StackBytes<void(int32_t, int16_t, double*)>::kValue);
  const std::string portsCount =
      "GetPortsCount@" + std::to_string(StackBytes<void(int32_t*)>::kValue);
  ClientFunctionTable table;
  const auto found = FindClientFunctions(
      Exports({{gradePrice, AsLibraryFunction(&FakeGetGradePrice)},
               {portsCount, reinterpret_cast<LibraryFunction>(&FakeGetPortsCount)},
               {"GetPortsCount", reinterpret_cast<LibraryFunction>(&PlainGetPortsCount)}},
              "GetGradePrice"),
      true, &table);
  ASSERT_EQ(found.size(), 40u);
  EXPECT_EQ(found[0].name, "ClientLogonEx");
  EXPECT_EQ(found[0].foundAs, "ClientLogonEx");
  EXPECT_EQ(found[4].foundAs, "GetPortsCount");  // the plain name comes first
  EXPECT_EQ(found[13].name, "GetGradePrice");
  EXPECT_EQ(found[13].foundAs, gradePrice);
  EXPECT_EQ(FirstMissingFunction(found), "");

  BoundClientLibrary library(table);
  double price = 0;
  EXPECT_EQ(library.GetGradePrice(4, 2, &price), 7);
  EXPECT_EQ(price, 42.0);
  int32_t count = 0;
  EXPECT_EQ(library.GetPortsCount(&count), -99);  // the plain name's function
  EXPECT_EQ(count, 1);
}

TEST(ClientBinding, AMissingFunctionIsNamedAndDecoratedNamesCountOnlyOn32Bit) {
  ClientFunctionTable table;
  auto found = FindClientFunctions(Exports({}, "GetCardClientProperties"), true, &table);
  EXPECT_EQ(FirstMissingFunction(found), "GetCardClientProperties");
  EXPECT_EQ(table.GetCardClientProperties, nullptr);
  EXPECT_EQ(MissingFunctionLine("GetCardClientProperties"),
            "TarvoClient.dll has no function GetCardClientProperties: use the controller "
            "maker's TarvoClient.dll (TarvoCheck LIBRARY lists what it has).");

  // A 64-bit library has no decorated names: GetGradePrice@N is not it.
  const std::string decorated =
      "GetGradePrice@" + std::to_string(StackBytes<void(int32_t, int16_t, double*)>::kValue);
  found = FindClientFunctions(
      Exports({{decorated, AsLibraryFunction(&FakeGetGradePrice)}}, "GetGradePrice"), false,
      &table);
  EXPECT_EQ(FirstMissingFunction(found), "GetGradePrice");
}

// The first bytes of a PE file: the DOS header pointing at "PE\0\0" at 0x80
// and the machine code after it.
std::string PeHead(unsigned machine, size_t peOffset = 0x80) {
  std::string head(0x200, '\0');
  head[0] = 'M';
  head[1] = 'Z';
  head[0x3C] = static_cast<char>(peOffset & 0xFF);
  head[0x3D] = static_cast<char>((peOffset >> 8) & 0xFF);
  if (peOffset + 4 <= head.size()) head.replace(peOffset, 4, std::string("PE\0\0", 4));
  if (peOffset + 6 <= head.size()) {
    head[peOffset + 4] = static_cast<char>(machine & 0xFF);
    head[peOffset + 5] = static_cast<char>(machine >> 8);
  }
  return head;
}

TEST(ClientBinding, TellsTheBitnessFromThePeHeaderMachine) {
  EXPECT_EQ(ExecutableBits(PeHead(0x014C)), 32);
  EXPECT_EQ(ExecutableBits(PeHead(0x8664)), 64);
  EXPECT_EQ(ExecutableBits(PeHead(0xAA64)), 64);
  EXPECT_EQ(ExecutableBits(PeHead(0x01C4)), 0);          // 32-bit ARM
  EXPECT_EQ(ExecutableBits(PeHead(0x014C, 0x1000)), 0);  // header beyond what was read
  EXPECT_EQ(ExecutableBits(PeHead(0x014C, 0x1FC)), 0);   // the machine cut off
  EXPECT_EQ(ExecutableBits(PeHead(0x014C).substr(0, 0x3E)), 0);
  EXPECT_EQ(ExecutableBits("\x7F"
                           "ELF" +
                           std::string(0x100, '\0')),
            0);
  EXPECT_EQ(OtherBitnessLine(32),
            "TarvoClient.dll is a 32-bit library: use the 32-bit TarvoExtract "
            "(TarvoExtract-22.02-win32.zip).");
}

}  // namespace
