// TarvoCheck's JSON: one document of one shape for every command (schema 1,
// published in check/tarvocheck.schema.json), written with nlohmann-json.
// Every key is present in every document, null where a command has none.
// Texts are UTF-8 whatever the file's encoding; values are carried exactly,
// passwords never.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "check/diff/FileDiff.h"
#include "check/records/Compare.h"
#include "check/rules/Check.h"

// The program's version, as --version prints it.
extern const char kCheckVersion[];

// The document's head: command (null when none was given), the files and
// the server (null when none); exitCode 0, every other key null.
nlohmann::ordered_json JsonDocument(const char* command, const std::vector<std::string>& files,
                                    const std::string* server);
// CheckResult: counts, stops, writes per table and the findings.
nlohmann::ordered_json CheckResultJson(const FileCheck& check);
// RecordChange; `plan` names the statuses of PLAN (new, controllerOnly),
// else those of DIFF (onlyInB, onlyInA). Texts of records come from the
// library or the file (utf8: the file's texts are UTF-8).
nlohmann::ordered_json RecordChangeJson(const RecordChange& rc, bool plan);

// Plan: counts, records, hose moves, shared hose numbers, the records not
// restored, the new records' zeroed measures, the writes that may be refused.
nlohmann::ordered_json PlanResultJson(const Comparison& plan, const FileCheck& check);

// The whole documents.
std::string CheckJson(const std::string& path, const FileCheck& check, int exitCode);
std::string PlanJson(const std::string& path, const std::string& server, const Comparison& plan,
                     const FileCheck& check, int exitCode);
std::string DiffJson(const std::string& a, const std::string& b, const Comparison& diff,
                     const std::vector<FileDifference>& fileDiffs, const FileCheck& checkA,
                     const FileCheck& checkB, int exitCode);
// A run that could not be made (usage, unreadable file, logon): exitCode -1.
std::string FailureJson(const char* command, const std::vector<std::string>& files,
                        const std::string* server, const std::string& error);
