// Any bytes as a configuration file, then reads of every kind; each read must
// give what the literal one-operation-at-a-time rules give.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzFile.h"
#include "profile/Profile.h"
#include "tests/support/LiteralProfile.h"

namespace {

const std::vector<std::string> kSections = {"Application", "Port01", "port01", "Pump01",
                                            "Grade01",     "a]b",    "a",      ""};
const std::vector<std::string> kKeys = {"Number", "Name", "Price1", "Price10", "Version",
                                        "A",      " A",   "=",      "K"};

void ReadBoth(CProfile& fast, LiteralProfile& slow, const std::string& key) {
  Text value;
  int length = fast.ReadString(key.c_str(), value);
  Check(length == value.Length());
  Check(value == Text(slow.ReadString(key)));
  Check(value.ToInt() == fast.ReadInt(key.c_str()));
  Check(slow.ReadCurrency(key) == fast.ReadCurrency(key.c_str()).value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string path = FuzzFolder() + "/reader.ini";
  PutFile(path, input.ConsumeRandomLengthString(size));
  CProfile fast(path.c_str(), false);
  LiteralProfile slow(path, false);
  bool asked = false;
  while (input.remaining_bytes() > 0) {
    asked = true;
    std::string section = input.ConsumeBool() ? Pick(input, kSections)
                                              : input.ConsumeRandomLengthString(16);
    std::string key = input.ConsumeBool() ? Pick(input, kKeys)
                                          : input.ConsumeRandomLengthString(16);
    fast.SetSection(section.c_str());
    slow.SetSection(section.c_str());
    ReadBoth(fast, slow, key.c_str());
  }
  // A file alone: ask the usual names.
  for (const std::string& section : kSections) {
    if (asked) break;
    fast.SetSection(section.c_str());
    slow.SetSection(section);
    for (const std::string& key : kKeys) ReadBoth(fast, slow, key);
  }
  return 0;
}
