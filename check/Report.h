// What TarvoCheck prints: for people (aligned, one record or section per
// block, a summary line with counts at the end) or, with /JSON, one JSON
// document. Password values never appear in either.
#pragma once

#include <string>

#include "check/Check.h"
#include "check/Compare.h"
#include "check/FileDiff.h"

std::string CheckReport(const std::string& path, const FileCheck& check, bool json);
std::string PlanReport(const std::string& path, const std::string& server, const Comparison& plan,
                       const FileCheck& check, bool json);
// DIFF: the record comparison, then the whole files' other differences.
std::string DiffReport(const std::string& a, const std::string& b, const Comparison& diff,
                       const std::vector<FileDifference>& fileDiffs, const FileCheck& checkA,
                       const FileCheck& checkB, bool json);
// A run that could not be made: the file unreadable, the logon refused. The
// message is UTF-8 (the program's arguments, the library's reason).
std::string FailureReport(const char* command, const std::string& message, bool json);

// A text of bytes as a JSON string, each byte read as the character of the
// same value (as the import reads the file).
std::string JsonBytes(const std::string& bytes);
// A command-line argument as a JSON string: UTF-8 when it is valid UTF-8 (as
// file names reach the program), else each byte as the character of its value.
std::string JsonArgument(const std::string& text);
