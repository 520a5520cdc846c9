// Records as the controller's Set and Get calls carry them: one record per
// identifier, its fields named after the library's parameters, in the
// order of the call's arguments. PLAN and DIFF compare these; CHECK names
// what the import would write with them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "profile/RecordSchema.h"

// "Port", "Grade", ... as in the section names; the hose's is "Hose".
const char* TableWord(Table table);
// "ports", "grades", ... for counts.
const char* TablePlural(Table table);

struct Value {
  enum class Kind { kInt, kAmount, kText };
  Kind kind = Kind::kInt;
  int64_t number = 0;   // kInt
  double amount = 0.0;  // kAmount
  std::u16string text;  // kText, as the library's code units

  static Value Int(int64_t n);
  static Value Amount(double a);
  static Value Text(std::u16string t);

  // Amounts compare at the file's four decimals; texts unit for unit.
  bool Same(const Value& other) const;
  // For people: numbers as digits, amounts with three decimals (four when
  // the fourth is not 0), texts in double quotes, their characters in UTF-8
  // with control characters written visibly (ShownUnits).
  std::string Show() const;
  // A JSON value (ValueJson, written as DumpJson writes it): texts as UTF-8
  // with control characters and DEL escaped, amounts as the nearest JSON
  // number (null when not finite).
  std::string Json() const;
  // True for a text holding a character that the file cannot carry (above
  // 255): IMPORT writes it as "?".
  bool OutsideFileCharacters() const;
};

// A value of a Set or Get call as JSON: a number, a text (UTF-8), or null
// for an amount that is not finite.
nlohmann::ordered_json ValueJson(const Value& value);

struct Field {
  const char* name;  // the library's parameter name, e.g. "PhysicalNumber"
  Value value;
};

struct Record {
  Table table = Table::kPort;
  int32_t id = 0;      // the identifier the Set call names (a hose: its hose id)
  int32_t pumpId = 0;  // hoses only: the pump's identifier and the hose number
  int32_t hose = 0;
  std::vector<Field> fields;

  // The section that holds it: "Pump03", "Client012"; a hose "Pump03 Hose2".
  std::string Name() const;
  const Field* Find(const char* name) const;
  void Put(const char* name, Value value);  // replaces a field of that name or adds it
};

// A record of a table whose fields are the values of its Set or Get call, in
// the call's argument order after the identifier, named after the call's
// parameters.
Record MakeRecord(Table table, int32_t id, std::vector<Value> values);

// Fields that are not shown: their values are never printed.
bool IsSecret(const Record& record, const char* field);
// Fields that the file has no key for: IMPORT passes 0 for them.
bool HasNoKey(const Record& record, const char* field);

// A record section of a file that IMPORT does not write, and why.
struct UnwrittenRecord {
  std::string section;  // as the file names it
  Table table = Table::kPort;
  int32_t id = 0;
  std::string reason;  // "IMPORT never reaches it: after seven missing numbers"
  // The reason's code, stable across versions ("after-seven-missing").
  const char* reasonCode = "";
};

// The section name of record n of a table ("Pump%02d", "Client%03d").
std::string SectionName(Table table, int32_t n);
