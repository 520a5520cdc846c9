// The random station files of PLAN's property test (PlanPropertyTest.cc),
// shared with the checked import's property test.
#pragma once

#include <random>
#include <string>

// A random station file: random gaps (some of seven or more numbers),
// references that hold or not, values that do not read cleanly, shadowed and
// misspelt keys, comments in texts, tabs before keys and values, hose ids
// changed, a pump copied to make a new one, a spreadsheet's save.
std::string RandomStation(std::mt19937& rng);
