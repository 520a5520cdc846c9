// The random station files of PLAN's property test (PlanPropertyTest.cc),
// shared with the checked import's property test.
#pragma once

#include <random>
#include <string>

// A random station file: random gaps, references that hold or not, values
// that do not read cleanly, shadowed and misspelt keys.
std::string RandomStation(std::mt19937& rng);
