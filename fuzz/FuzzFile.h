// What the fuzz targets share: a scratch folder, in memory when the system
// has such a folder, reused by every input of a run; the file helpers of the
// profile tests; a pick from a list of names; and Check, which stops the run
// with the text of a broken property.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

inline const std::string& FuzzFolder() {
  static const std::string folder = [] {
    std::string name = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    name += "/tarvo-fuzz-XXXXXX";
    if (mkdtemp(&name[0]) == nullptr) abort();
    return name;
  }();
  return folder;
}

inline const std::string& Pick(FuzzedDataProvider& input, const std::vector<std::string>& items) {
  return items[input.ConsumeIntegralInRange<size_t>(0, items.size() - 1)];
}

#define Check(property)                                     \
  do {                                                      \
    if (!(property)) {                                      \
      fprintf(stderr, "property broken: %s\n", #property); \
      abort();                                              \
    }                                                       \
  } while (false)
