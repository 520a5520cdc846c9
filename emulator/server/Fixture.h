// Fixtures: a controller's whole state as JSON (format in emulator/README.md).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "emulator/server/Store.h"

namespace emu {

// Replaces everything in the store by the fixture. A fixture with a fault
// (unknown key, wrong type, duplicate identifier, ...) changes nothing and
// error names the place: "ports[2].name: expected a text".
bool LoadFixture(const nlohmann::json& fixture, Store& store, std::string& error);

// The store's state as a fixture that LoadFixture takes back unchanged.
nlohmann::json DumpFixture(Store& store);

// The value a field keeps: 16-bit fields the low 16 bits of any integer,
// 32-bit fields the low 32 bits, 64-bit fields the bit pattern (an unsigned
// JSON integer or a "0x..." text is taken as it stands). Returns false when
// the value has the wrong type.
bool Normalize(Kind kind, const nlohmann::json& in, nlohmann::json& out);

}  // namespace emu
