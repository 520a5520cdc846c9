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

const FieldSchema kPortFields[] = {
    Read("Number", file_key::kNumber, kInt32), Read("Name", file_key::kName, kText),
    // The call takes 32 bits, but the protocol is a 16-bit code: IMPORT
    // passes the low 16 bits of what it reads, sign-extended.
    Read("ProtocolId", file_key::kProtocolId, kInt16),
    Read("DeviceType", file_key::kDeviceType, kInt16), Read("SerialNo", file_key::kSerialNo, kText),
    // The ZigBee gateway's settings and the device's firmware.
    ForPeople(file_key::kPanId), ForPeople(file_key::kChannels), ForPeople(file_key::kKeyA),
    ForPeople(file_key::kKeyB), ForPeople(file_key::kFirmwareVersion)};

const FieldSchema kGradeFields[] = {
    Read("Number", file_key::kNumber, kInt32), Read("Name", file_key::kName, kText),
    Read("ShortName", file_key::kShortName, kText), Read("Code", file_key::kCode, kText)};

const FieldSchema kTankFields[] = {Read("Number", file_key::kNumber, kInt32),
                                   Read("Name", file_key::kName, kText),
                                   Ref("Grade", file_key::kGrade, Table::kGrade, kWrittenFirst),
                                   Read("Type", file_key::kType, kInt16),
                                   Read("Capacity", file_key::kCapacity, kAmount),
                                   Read("Diameter", file_key::kDiameter, kAmount),
                                   NoKey("M1", kAmount),
                                   NoKey("M2", kAmount),
                                   NoKey("M3", kAmount),
                                   NoKey("M4", kAmount),
                                   NoKey("M5", kAmount),
                                   NoKey("M6", kAmount),
                                   NoKey("M7", kAmount),
                                   NoKey("M8", kAmount),
                                   Read("TankGauge", file_key::kTankGauge, kInt32),
                                   Read("Probe", file_key::kProbe, kInt16)};

const FieldSchema kZigBeeFields[] = {Read("Number", file_key::kNumber, kInt32),
                                     Read("Name", file_key::kName, kText),
                                     Read("DeviceType", file_key::kDeviceType, kInt16),
                                     Read("SerialNumber", file_key::kSerialNumber, kText),
                                     Read("NodeIdentifier", file_key::kNodeIdentifier, kText),
                                     Ref("PortId", file_key::kPortId, Table::kPort),
                                     ForPeople(file_key::kFirmwareVersion)};

const FieldSchema kPumpFields[] = {
    Read("Number", file_key::kNumber, kInt32),
    Read("Name", file_key::kName, kText),
    Read("PhysicalNumber", file_key::kPhysicalNumber, kInt16),
    Read("Side", file_key::kSide, kInt16),
    Read("Address", file_key::kAddress, kInt16),
    Read("PriceLevel1", file_key::kPriceLevel1, kInt16),
    Read("PriceLevel2", file_key::kPriceLevel2, kInt16),
    Read("PriceDspFormat", file_key::kPriceDspFormat, kInt16),
    Read("VolumeDspFormat", file_key::kVolumeDspFormat, kInt16),
    Read("ValueDspFormat", file_key::kValueDspFormat, kInt16),
    Read("PumpType", file_key::kPumpType, kInt16),
    Ref("PortId", file_key::kPortId, Table::kPort),
    Ref("AttendantId", file_key::kAttendantId, Table::kAttendant),
    Read("AuthMode", file_key::kAuthMode, kInt16),
    Read("StackMode", file_key::kStackMode, kInt16),
    Read("PrepayAllowed", file_key::kPrepayAllowed, kInt16),
    Read("PreauthAllowed", file_key::kPreauthAllowed, kInt16),
    Read("Slot", file_key::kSlot, kInt32),
    Ref("MuxSlotZigBeeId", file_key::kMuxSlotZigBeeId, Table::kZigBee),
    Read("PriceControl", file_key::kPriceControl, kInt16),
    Read("HasPreset", file_key::kHasPreset, kInt16)};

// A hose's keys stand in its pump's section; its number is the N of HoseN,
// its pump the section's. The identifier comes first: a hose without a
// usable one ends the pump's hoses.
const FieldSchema kHoseFields[] = {Read(nullptr, file_key::kHoseId, kInt32, kIdentifier),
                                   FromPlace("Number"),
                                   FromPlace("PumpId"),
                                   Ref("Tank", file_key::kHoseTank, Table::kTank, kWrittenFirst),
                                   Read("PhysicalNumber", file_key::kHosePhysicalNumber, kInt32),
                                   NoKey("H1", kAmount),
                                   NoKey("H2", kAmount),
                                   NoKey("H3", kAmount),
                                   NoKey("H4", kAmount),
                                   Read("Reader", file_key::kHoseReader, kInt16),
                                   Read("Price1", file_key::kHosePrice1, kAmount, kMayBeAbsent),
                                   Read("Price2", file_key::kHosePrice2, kAmount, kMayBeAbsent),
                                   Read("Enabled", file_key::kHoseEnabled, kInt16)};

constexpr char kMinutes[] = "minutes after midnight";

const FieldSchema kAttendantFields[] = {
    Read("Number", file_key::kNumber, kInt32),
    Read("Name", file_key::kName, kText),
    Read("ShortName", file_key::kShortName, kText),
    Read("Password", file_key::kPassword, kText, kSecret),
    Read("Tag", file_key::kTag, kText),
    Read("ShiftAStart", file_key::kShiftAStart, kInt16, 0, kMinutes),
    Read("ShiftAEnd", file_key::kShiftAEnd, kInt16, 0, kMinutes),
    Read("ShiftBStart", file_key::kShiftBStart, kInt16, 0, kMinutes),
    Read("ShiftBEnd", file_key::kShiftBEnd, kInt16, 0, kMinutes),
    Read("Enabled", file_key::kEnabled, kInt16)};

const FieldSchema kCardClientFields[] = {
    Read("Number", file_key::kNumber, kInt32), Read("Name", file_key::kName, kText),
    Read("Tag", file_key::kTag, kText), Read("Enabled", file_key::kEnabled, kInt16)};

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
