// ZigBee devices: one "ZigBee%02d" section per device with its properties and
// the firmware version from its device details. Exported in full under
// VERSION too.
#include <cstdio>
#include <string>

#include "export/ExportSteps.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

namespace {

// Out-values of one device and its details, at their reset values.
struct ZigBeeRecord {
  int32_t id = -1;
  int32_t number = 0;
  LibString name;
  int16_t deviceType = 0;
  LibString serialNumber;
  LibString nodeIdentifier;
  int32_t portId = -1;  // the record identifier of the port the device is reached through
  LibString details1;
  LibString details2;
  LibString firmwareVersion;
};

}  // namespace

bool ExportZigBeeDevice(ExportContext& ctx, int32_t ordinal) {
  ZigBeeRecord device;
  if (!ctx.Check("GetZigBeeByOrdinal failed.",
                 ctx.library.GetZigBeeByOrdinal(ordinal, &device.id))) {
    return false;
  }
  if (!ctx.Check("GetZigBeeProperties failed.",
                 ctx.library.GetZigBeeProperties(device.id, &device.number, device.name.Out(),
                                                 &device.deviceType, device.serialNumber.Out(),
                                                 device.nodeIdentifier.Out(), &device.portId))) {
    return false;
  }
  const std::string section = NumberedName(kZigBeeSection, device.id);
  ctx.profile.SetSection(section.c_str());
  WriteInt(ctx, file_key::kNumber, device.number);
  WriteLibraryText(ctx, file_key::kName, device.name);
  WriteInt(ctx, file_key::kDeviceType, device.deviceType);
  WriteLibraryText(ctx, file_key::kSerialNumber, device.serialNumber);
  WriteLibraryText(ctx, file_key::kNodeIdentifier, device.nodeIdentifier);
  WriteInt(ctx, file_key::kPortId, device.portId);
  device.name.Reset();
  device.serialNumber.Reset();
  device.nodeIdentifier.Reset();

  // Without device details the section keeps its six keys and the run goes on.
  if (ctx.Check(
          "GetDeviceDetails failed.",
          ctx.library.GetDeviceDetails(device.portId, device.id, device.details1.Out(),
                                       device.details2.Out(), device.firmwareVersion.Out()))) {
    WriteLibraryText(ctx, file_key::kFirmwareVersion, device.firmwareVersion);
  }
  return true;
}
