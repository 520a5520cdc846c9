// Currency: an amount times 10000 (four implied decimals), as ReadCurrency
// produces it.
#pragma once

#include <cstdint>

struct Currency {
  int64_t value = 0;
  double ToDouble() const { return static_cast<double>(value) / 10000.0; }
};
