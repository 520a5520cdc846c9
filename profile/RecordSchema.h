// The records of the configuration, described once: for each table the
// fields of its Set call in argument order, each with the file key that
// carries it (if any), how the value is held, and what the import does with
// it; then the keys that EXPORT writes for people and IMPORT never reads.
//
// The file keys are spelled once, in file_key below: the tables here, the
// export's and the import's record functions all name them from there, and
// TarvoCheck takes every key list, kind and field name from the tables.
// Adding a field means a key here (unless the file already has its
// spelling), one entry in the table and a line each in the table's export
// and import files.
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

// The file's keys. Several tables share a spelling ("Number", "Name"); which
// keys a table's section holds is its TableSchema. A hose's keys are
// patterns with %d for the hose number.
namespace file_key {
constexpr char kNumber[] = "Number";
constexpr char kName[] = "Name";
constexpr char kShortName[] = "ShortName";
constexpr char kCode[] = "Code";
constexpr char kTag[] = "Tag";
constexpr char kEnabled[] = "Enabled";
constexpr char kDeviceType[] = "DeviceType";
constexpr char kPortId[] = "PortID";
constexpr char kFirmwareVersion[] = "FirmwareVersion";
// A port, and the ZigBee gateway on it.
constexpr char kProtocolId[] = "ProtocolID";
constexpr char kSerialNo[] = "SerialNo";
constexpr char kPanId[] = "PanID";
constexpr char kChannels[] = "Channels";
constexpr char kKeyA[] = "KeyA";
constexpr char kKeyB[] = "KeyB";
// A tank.
constexpr char kGrade[] = "Grade";
constexpr char kType[] = "Type";
constexpr char kCapacity[] = "Capacity";
constexpr char kDiameter[] = "Diameter";
constexpr char kTankGauge[] = "TankGauge";
constexpr char kProbe[] = "Probe";
// A ZigBee device.
constexpr char kSerialNumber[] = "SerialNumber";
constexpr char kNodeIdentifier[] = "NodeIdentifier";
// A pump.
constexpr char kPhysicalNumber[] = "PhysicalNumber";
constexpr char kSide[] = "Side";
constexpr char kAddress[] = "Address";
constexpr char kPriceLevel1[] = "PriceLevel1";
constexpr char kPriceLevel2[] = "PriceLevel2";
constexpr char kPriceDspFormat[] = "PriceDspFormat";
constexpr char kVolumeDspFormat[] = "VolumeDspFormat";
constexpr char kValueDspFormat[] = "ValueDspFormat";
constexpr char kPumpType[] = "PumpType";
constexpr char kAttendantId[] = "AttendantID";
constexpr char kAuthMode[] = "AuthMode";
constexpr char kStackMode[] = "StackMode";
constexpr char kPrepayAllowed[] = "PrepayAllowed";
constexpr char kPreauthAllowed[] = "PreauthAllowed";
constexpr char kSlot[] = "Slot";
constexpr char kMuxSlotZigBeeId[] = "MuxSlotZigBeeID";
constexpr char kPriceControl[] = "PriceControl";
constexpr char kHasPreset[] = "HasPreset";
// A hose, in its pump's section.
constexpr char kHoseId[] = "Hose%dID";
constexpr char kHoseTank[] = "Hose%dTank";
constexpr char kHosePhysicalNumber[] = "Hose%dPhysicalNumber";
constexpr char kHoseReader[] = "Hose%dReader";
constexpr char kHosePrice1[] = "Hose%dPrice1";
constexpr char kHosePrice2[] = "Hose%dPrice2";
constexpr char kHoseEnabled[] = "Hose%dEnabled";
// An attendant.
constexpr char kPassword[] = "Password";
constexpr char kShiftAStart[] = "ShiftAStart";
constexpr char kShiftAEnd[] = "ShiftAEnd";
constexpr char kShiftBStart[] = "ShiftBStart";
constexpr char kShiftBEnd[] = "ShiftBEnd";
}  // namespace file_key

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
