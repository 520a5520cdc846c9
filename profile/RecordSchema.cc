#include "profile/RecordSchema.h"

#include <cstring>
#include <iterator>

#include "profile/RecordNames.h"

namespace {

constexpr FieldKind kText = FieldKind::kText;
constexpr FieldKind kInt16 = FieldKind::kInt16;
constexpr FieldKind kInt32 = FieldKind::kInt32;
constexpr FieldKind kAmount = FieldKind::kAmount;

// A field IMPORT reads from its key, one that refers to a record, one the
// file has no key for, and a key EXPORT writes only for people.
constexpr FieldSchema Read(const char* param, const char* key, FieldKind kind, unsigned flags = 0,
                           const char* unit = nullptr) {
  return FieldSchema{param, key, kind, kImportReads | flags, Table::kPort, unit};
}
constexpr FieldSchema Ref(const char* param, const char* key, Table target, unsigned flags = 0) {
  return FieldSchema{param,  key,    FieldKind::kInt32, kImportReads | kReference | flags,
                     target, nullptr};
}
constexpr FieldSchema NoKey(const char* param, FieldKind kind) {
  return FieldSchema{param, nullptr, kind, 0, Table::kPort, nullptr};
}
constexpr FieldSchema FromPlace(const char* param) {
  return FieldSchema{param, nullptr, FieldKind::kInt32, kFromPlace, Table::kPort, nullptr};
}
constexpr FieldSchema ForPeople(const char* key) {
  return FieldSchema{nullptr, key, FieldKind::kText, 0, Table::kPort, nullptr};
}

const FieldSchema kPortFields[] = {Read("Number", "Number", kInt32), Read("Name", "Name", kText),
                                   Read("ProtocolId", "ProtocolID", kInt32),
                                   Read("DeviceType", "DeviceType", kInt16),
                                   Read("SerialNo", "SerialNo", kText),
                                   // The ZigBee gateway's settings and the device's firmware.
                                   ForPeople("PanID"), ForPeople("Channels"), ForPeople("KeyA"),
                                   ForPeople("KeyB"), ForPeople("FirmwareVersion")};

const FieldSchema kGradeFields[] = {Read("Number", "Number", kInt32), Read("Name", "Name", kText),
                                    Read("ShortName", "ShortName", kText),
                                    Read("Code", "Code", kText)};

const FieldSchema kTankFields[] = {Read("Number", "Number", kInt32),
                                   Read("Name", "Name", kText),
                                   Ref("Grade", "Grade", Table::kGrade, kWrittenFirst),
                                   Read("Type", "Type", kInt16),
                                   Read("Capacity", "Capacity", kAmount),
                                   Read("Diameter", "Diameter", kAmount),
                                   NoKey("M1", kAmount),
                                   NoKey("M2", kAmount),
                                   NoKey("M3", kAmount),
                                   NoKey("M4", kAmount),
                                   NoKey("M5", kAmount),
                                   NoKey("M6", kAmount),
                                   NoKey("M7", kAmount),
                                   NoKey("M8", kAmount),
                                   Read("TankGauge", "TankGauge", kInt32),
                                   Read("Probe", "Probe", kInt16)};

const FieldSchema kZigBeeFields[] = {Read("Number", "Number", kInt32),
                                     Read("Name", "Name", kText),
                                     Read("DeviceType", "DeviceType", kInt16),
                                     Read("SerialNumber", "SerialNumber", kText),
                                     Read("NodeIdentifier", "NodeIdentifier", kText),
                                     Ref("PortId", "PortID", Table::kPort),
                                     ForPeople("FirmwareVersion")};

const FieldSchema kPumpFields[] = {Read("Number", "Number", kInt32),
                                   Read("Name", "Name", kText),
                                   Read("PhysicalNumber", "PhysicalNumber", kInt16),
                                   Read("Side", "Side", kInt16),
                                   Read("Address", "Address", kInt16),
                                   Read("PriceLevel1", "PriceLevel1", kInt16),
                                   Read("PriceLevel2", "PriceLevel2", kInt16),
                                   Read("PriceDspFormat", "PriceDspFormat", kInt16),
                                   Read("VolumeDspFormat", "VolumeDspFormat", kInt16),
                                   Read("ValueDspFormat", "ValueDspFormat", kInt16),
                                   Read("PumpType", "PumpType", kInt16),
                                   Ref("PortId", "PortID", Table::kPort),
                                   Ref("AttendantId", "AttendantID", Table::kAttendant),
                                   Read("AuthMode", "AuthMode", kInt16),
                                   Read("StackMode", "StackMode", kInt16),
                                   Read("PrepayAllowed", "PrepayAllowed", kInt16),
                                   Read("PreauthAllowed", "PreauthAllowed", kInt16),
                                   Read("Slot", "Slot", kInt32),
                                   Ref("MuxSlotZigBeeId", "MuxSlotZigBeeID", Table::kZigBee),
                                   Read("PriceControl", "PriceControl", kInt16),
                                   Read("HasPreset", "HasPreset", kInt16)};

// A hose's keys stand in its pump's section; its number is the N of HoseN,
// its pump the section's. The identifier comes first: a hose without a
// usable one ends the pump's hoses.
const FieldSchema kHoseFields[] = {Read(nullptr, "Hose%dID", kInt32, kIdentifier),
                                   FromPlace("Number"),
                                   FromPlace("PumpId"),
                                   Ref("Tank", "Hose%dTank", Table::kTank, kWrittenFirst),
                                   Read("PhysicalNumber", "Hose%dPhysicalNumber", kInt32),
                                   NoKey("H1", kAmount),
                                   NoKey("H2", kAmount),
                                   NoKey("H3", kAmount),
                                   NoKey("H4", kAmount),
                                   Read("Reader", "Hose%dReader", kInt16),
                                   Read("Price1", "Hose%dPrice1", kAmount, kMayBeAbsent),
                                   Read("Price2", "Hose%dPrice2", kAmount, kMayBeAbsent),
                                   Read("Enabled", "Hose%dEnabled", kInt16)};

constexpr char kMinutes[] = "minutes after midnight";

const FieldSchema kAttendantFields[] = {Read("Number", "Number", kInt32),
                                        Read("Name", "Name", kText),
                                        Read("ShortName", "ShortName", kText),
                                        Read("Password", "Password", kText, kSecret),
                                        Read("Tag", "Tag", kText),
                                        Read("ShiftAStart", "ShiftAStart", kInt16, 0, kMinutes),
                                        Read("ShiftAEnd", "ShiftAEnd", kInt16, 0, kMinutes),
                                        Read("ShiftBStart", "ShiftBStart", kInt16, 0, kMinutes),
                                        Read("ShiftBEnd", "ShiftBEnd", kInt16, 0, kMinutes),
                                        Read("Enabled", "Enabled", kInt16)};

const FieldSchema kCardClientFields[] = {Read("Number", "Number", kInt32),
                                         Read("Name", "Name", kText), Read("Tag", "Tag", kText),
                                         Read("Enabled", "Enabled", kInt16)};

const TableSchema kTables[kTableCount] = {
    {Table::kPort, "Port", "ports", kPortSection, "SetPortProperties", kPortFields,
     std::size(kPortFields)},
    {Table::kGrade, "Grade", "grades", kGradeSection, "SetGradeProperties", kGradeFields,
     std::size(kGradeFields)},
    {Table::kTank, "Tank", "tanks", kTankSection, "SetTankProperties", kTankFields,
     std::size(kTankFields)},
    {Table::kZigBee, "ZigBee", "ZigBee devices", kZigBeeSection, "SetZigBeeProperties",
     kZigBeeFields, std::size(kZigBeeFields)},
    {Table::kPump, "Pump", "pumps", kPumpSection, "SetPumpPropertiesEx", kPumpFields,
     std::size(kPumpFields)},
    {Table::kHose, "Hose", "hoses", nullptr, "SetHosePropertiesEx2", kHoseFields,
     std::size(kHoseFields)},
    {Table::kAttendant, "Attendant", "attendants", kAttendantSection, "SetAttendantPropertiesEx",
     kAttendantFields, std::size(kAttendantFields)},
    {Table::kCardClient, "Client", "card clients", kClientSection, "SetCardClientProperties",
     kCardClientFields, std::size(kCardClientFields)},
};

const char* const kPriceLevelParams[kPriceLevels] = {"Price1", "Price2", "Price3", "Price4",
                                                     "Price5", "Price6", "Price7", "Price8"};

}  // namespace

const FieldSchema* TableSchema::Param(const char* param) const {
  for (const FieldSchema& field : *this) {
    if (field.param != nullptr && std::strcmp(field.param, param) == 0) return &field;
  }
  return nullptr;
}

const TableSchema& SchemaOf(Table table) { return kTables[static_cast<size_t>(table)]; }

const char* PriceLevelParam(int level) {
  return level >= 1 && level <= kPriceLevels ? kPriceLevelParams[level - 1] : "";
}

const char* const kExportOnlySections[] = {
    "Application", "Log", "Server", "Port", "Protocol",
    "Company",     "Pam", "GSC",    "IPT",  kTankGaugeSection};
const size_t kExportOnlySectionCount = std::size(kExportOnlySections);
