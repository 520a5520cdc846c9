// What TarvoCheck prints: for people (aligned, one record or section per
// block, a summary line with counts at the end) or, with /JSON, one JSON
// document. Password values never appear in either.
#pragma once

#include <string>
#include <vector>

#include "check/diff/FileDiff.h"
#include "check/records/Compare.h"
#include "check/rules/Check.h"

std::string CheckReport(const std::string& path, const FileCheck& check, bool json);
std::string PlanReport(const std::string& path, const std::string& server, const Comparison& plan,
                       const FileCheck& check, bool json);
// DIFF: the record comparison, then the whole files' other differences.
std::string DiffReport(const std::string& a, const std::string& b, const Comparison& diff,
                       const std::vector<FileDifference>& fileDiffs, const FileCheck& checkA,
                       const FileCheck& checkB, bool json);
// A run that could not be made: usage, the file unreadable, the logon
// refused (command null when none was given; server null for none).
std::string FailureReport(const char* command, const std::vector<std::string>& files,
                          const std::string* server, const std::string& message, bool json);

// The exit codes: 0 nothing to report, 1 something to report (warnings,
// changes, differences; notes never count), 2 what IMPORT would do is not
// what the file says (CHECK's errors; in PLAN also records not restored;
// in DIFF either file's errors).
int CheckExitCode(const FileCheck& check);
int PlanExitCode(const Comparison& plan, const FileCheck& check);
int DiffExitCode(const Comparison& diff, const std::vector<FileDifference>& fileDiffs,
                 const FileCheck& checkA, const FileCheck& checkB);
