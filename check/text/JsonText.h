// Texts for TarvoCheck's JSON: bytes of the file or of the system, and the
// library's code units, as UTF-8, and a document as the programs print it.
// The documents themselves are assembled in check/report/ReportJson.
#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

#include "profile/RecordSchema.h"

// Bytes as UTF-8: where utf8 is set, each well-formed UTF-8 sequence stays
// as it is; every other byte is the character of its code (as IMPORT reads a
// file without a mark: 0xE9 is "é").
std::string Utf8Of(const std::string& bytes, bool utf8);
// The library's code units as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8OfUnits(const std::u16string& units);

// The table as JSON names it: "pump", "client".
std::string TableName(Table table);

// The document as text, followed by a line end: DEL escaped as the control
// characters are, so that no byte of it needs a terminal's good will.
std::string DumpJson(const nlohmann::ordered_json& doc);
