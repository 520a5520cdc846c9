// The records of the configuration, described once: for each table the
// fields of its Set call in argument order, each with the file key that
// carries it (if any), how the value is held, and what the import does with
// it; then the keys that EXPORT writes for people and IMPORT never reads.
//
// EXPORT and IMPORT spell their keys in their own record functions; TarvoCheck
// takes every key list, kind and field name from here. Adding a field means
// one entry here and a line each in the table's export and import files.
#pragma once

#include <cstddef>
#include <cstdint>

// The controller's tables, in the order IMPORT writes them (hoses with their
// pumps).
enum class Table { kPort, kGrade, kTank, kZigBee, kPump, kHose, kAttendant, kCardClient };
constexpr size_t kTableCount = 8;

// How a value travels: a text, a 16-bit or 32-bit integer (IMPORT passes the
// low 16 bits of what it reads for a 16-bit one), or an amount (the file's
// decimal with up to four places; a double in the call).
enum class FieldKind { kText, kInt16, kInt32, kAmount };

// The controller has eight price levels per grade and reads at most eight
// hoses per pump.
constexpr int kPriceLevels = 8;
constexpr int kHosesPerPump = 8;

// FieldSchema::flags.
enum : unsigned {
  kImportReads = 1u << 0,   // IMPORT reads the key (otherwise EXPORT writes it for people)
  kSecret = 1u << 1,        // never shown: a password
  kReference = 1u << 2,     // the identifier of a record of refersTo
  kWrittenFirst = 1u << 3,  // a reference whose record IMPORT writes before this one
  kMayBeAbsent = 1u << 4,   // EXPORT leaves the key out for small values (a hose's prices)
  kIdentifier = 1u << 5,    // the record's identifier (a hose's, from Hose%dID)
  kFromPlace = 1u << 6,     // no key: the value is where the keys stand (a hose's number, pump)
};

struct FieldSchema {
  // The Set call's parameter name, capitalised ("PortId"); null for a key
  // that is no argument of the call (a hose's identifier, a key EXPORT
  // writes only for people).
  const char* param;
  // The file key; for a hose a pattern with %d for the hose number
  // ("Hose%dTank"). Null for a value the file cannot carry (a tank's eight
  // and a hose's four further measures) and for one that comes from where
  // the keys stand (kFromPlace).
  const char* key;
  FieldKind kind;
  unsigned flags;
  // For a reference to another record (kReference), the table referred to.
  Table refersTo;
  // The unit, where one is fixed: "minutes after midnight" for shift times.
  const char* unit;

  bool Has(unsigned flag) const { return (flags & flag) != 0; }
  // A value of the call that no file can carry: IMPORT cannot restore it.
  bool Uncarried() const { return param != nullptr && key == nullptr && !Has(kFromPlace); }
};

struct TableSchema {
  Table table;
  const char* word;     // "Port", as the section names begin; a hose's "Hose"
  const char* plural;   // "ports", for counts
  const char* section;  // the section name pattern ("Port%02d"); null for hoses
  const char* setCall;  // "SetPortProperties"
  const FieldSchema* fields;
  size_t fieldCount;

  const FieldSchema* begin() const { return fields; }
  const FieldSchema* end() const { return fields + fieldCount; }
  // The field of a parameter name, or null.
  const FieldSchema* Param(const char* param) const;
};

const TableSchema& SchemaOf(Table table);

// The grade's price level fields as records carry them: "Price1".."Price8"
// for level 1 to kPriceLevels (the file's keys are kPriceLevelKey).
const char* PriceLevelParam(int level);

// Sections EXPORT writes that hold no record IMPORT reads: the header, the
// integration service's settings (with /PAM, /COMPANY, /GSC, /IPT) and the
// tank gauges found on the ports ("TankGauge%02d").
extern const char* const kExportOnlySections[];
extern const size_t kExportOnlySectionCount;
