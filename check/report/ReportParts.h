// The pieces the reports of Report.cc are made of: findings, records and
// counts, for people (ReportJson.h writes JSON). Password values never
// appear.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "check/records/Compare.h"
#include "check/rules/Check.h"

// The characters of UTF-8 text s: the columns it takes in the report.
size_t Columns(const std::string& s);
// s followed by blanks up to width characters.
std::string Pad(const std::string& s, size_t width);
// "1 pump", "2 pumps".
std::string Plural(int n, const char* one, const char* many);
// Records per table in the order the import first writes each table; the
// grades' price levels written go to prices.
std::vector<std::pair<Table, int>> Writes(const Prediction& p, int* prices);

// The findings listed, in their order: the first kListedPerCode of each
// code. *omitted gets, per code, how many of the others were left out.
std::vector<const Finding*> Listed(const Findings& findings,
                                   std::map<std::string, size_t>* omitted);

// The findings at minimum level or above (kError: errors only; withErrors
// false: all but errors), one block per section, in the order of their first
// finding; the file's own findings first; a finding folded under another is
// counted (and the first few shown) under that one; then a line per code of which some
// were not listed. The file's names and values in them as a file read with
// `encoding` holds them.
std::string FindingsText(const Findings& findings, Finding::Level minimum,
                         file_encoding::Mark encoding, bool withErrors = true);

// One changed, new or before-only record for people; onlyBefore and newWord
// say what a before-only and a new record are in this report.
std::string RecordBlock(const RecordChange& rc, const std::string& onlyBefore,
                        const std::string& newWord);

// The errors of a check under what they mean for the import (`whose`:
// "IMPORT", "IMPORT of a.ini"); empty when there are none.
std::string ErrorsText(const FileCheck& check, const std::string& whose);
// CHECK's counts: "0 errors, 2 warnings, 1 note, 7 folded" (notes and
// folded findings only when there are).
std::string Counts(const FileCheck& check);
