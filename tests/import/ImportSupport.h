// Runs TarvoExtract IMPORT on a crafted file against an emulator and hands
// back what a test checks: the exit code, what the import printed, and the
// Set calls the controller received.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tests/support/E2E.h"

namespace importtest {

using nlohmann::json;

struct Imported {
  int exitCode = 0;
  std::string out;  // everything printed after the connecting line
  json sets;        // the Set calls received, in order, as the journal has them
  json reads;       // the other calls of the import (Get and count calls), in order
  std::string path; // the configuration file
};

// Writes ini to a fresh folder as station.ini and imports it into emulator.
Imported Import(e2e::Emulator& emulator, const std::string& ini);
// Imports the file at path, whatever it is.
Imported ImportPath(e2e::Emulator& emulator, const std::string& path);

// The line that CheckResult prints with message when the emulator refuses
// call with an injected code 6; call defaults to the message's first word.
std::string Refused(const std::string& message, std::string call = "");

// One journal entry.
json Call(const char* name, json args);

// A short form of a run of Set calls: each call's name without "Set" and
// "Properties...", with the arguments that identify its record, e.g.
// "Port 1, Grade 8, Price 8/1, Tank 1, Hose 7/1/1".
std::string Summary(const json& sets);

}  // namespace importtest
