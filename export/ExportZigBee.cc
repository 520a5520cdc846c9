// ZigBee devices: one "ZigBee%02d" section per device with its properties and
// the firmware version from its device details. Exported in full under
// VERSION too.
#include <cstdio>

#include "client/CheckResult.h"
#include "client/Progress.h"
#include "client/TarvoClient.h"
#include "export/ExportSteps.h"

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

bool ExportDevice(ExportContext& ctx, int32_t ordinal) {
  ZigBeeRecord device;
  if (!CheckResult("GetZigBeeByOrdinal failed.", GetZigBeeByOrdinal(ordinal, &device.id))) {
    return false;
  }
  if (!CheckResult("GetZigBeeProperties failed.",
                   GetZigBeeProperties(device.id, &device.number, device.name.Out(),
                                       &device.deviceType, device.serialNumber.Out(),
                                       device.nodeIdentifier.Out(), &device.portId))) {
    return false;
  }
  char section[32];
  std::snprintf(section, sizeof section, "ZigBee%02d", device.id);
  ctx.profile.SetSection(section);
  WriteInt(ctx, "Number", device.number);
  WriteLibraryText(ctx, "Name", device.name);
  WriteInt(ctx, "DeviceType", device.deviceType);
  WriteLibraryText(ctx, "SerialNumber", device.serialNumber);
  WriteLibraryText(ctx, "NodeIdentifier", device.nodeIdentifier);
  WriteInt(ctx, "PortID", device.portId);
  device.name.Reset();
  device.serialNumber.Reset();
  device.nodeIdentifier.Reset();

  // Without device details the section keeps its six keys and the run goes on.
  if (CheckResult("GetDeviceDetails failed.",
                  GetDeviceDetails(device.portId, device.id, device.details1.Out(),
                                   device.details2.Out(), device.firmwareVersion.Out()))) {
    WriteLibraryText(ctx, "FirmwareVersion", device.firmwareVersion);
  }
  return true;
}

}  // namespace

bool ExportZigBee(ExportContext& ctx) {
  int32_t count = 0;
  if (!CheckResult("GetZigBeeCount failed.", GetZigBeeCount(&count))) return false;
  Progress progress("ZigBee devices");
  for (int32_t i = 1; i <= count; ++i) {
    progress.Show(i, count);
    if (!ExportDevice(ctx, i)) return false;
  }
  progress.Clear();
  if (count > 0) std::printf("%3d ZigBee devices exported successfully.\n", count);
  return true;
}
