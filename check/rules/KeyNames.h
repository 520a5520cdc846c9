// The names of the keys of record sections, shared by CHECK's rules and
// DIFF: which names resemble a password's key (such a line's value is never
// shown), the library's parameter a key carries, a hose's keys, and how far
// one name is from another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The length of the beginning of a key name that resembles a secret key (a
// password's), or 0; such a line's value is never shown.
size_t SecretPrefix(std::string_view name);
// A name as shown on a line that may hold a password: up to where it stops
// resembling the secret key.
std::string Masked(std::string_view name);

// The library's parameter that key carries in the named section ("Tank"
// for Hose2Tank of a pump), or empty.
std::string FieldOfKey(std::string_view section, std::string_view key);

// The number of single-character edits that turn a into b; with a limit,
// any number from limit up is given as limit (found sooner).
size_t EditDistance(std::string_view a, std::string_view b, size_t limit = SIZE_MAX);
