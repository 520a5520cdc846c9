// Ports: one "Port%02d" section per port with its identity, protocol, ZigBee
// gateway settings and the firmware version of the device on it; under the
// PAM option a port above 4 also gets a "TankGauge%02d" section. Exported in
// full under VERSION too.
#include <cstdio>
#include <string>

#include "export/ExportSteps.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

namespace {

// Out-values of one port; the initialisers are the values each is reset to
// before the calls, and stay what is written when the library leaves one
// untouched.
struct PortRecord {
  int32_t id = -1;
  int32_t number = 0;
  LibString name;
  int32_t protocolId = -1;
  int16_t deviceType = 0;
  LibString serialNo;
  int64_t panId = 0;
  int32_t channels = 0;
  int64_t keyA = 0;
  int64_t keyB = 0;
  LibString details1;
  LibString details2;
  LibString firmwareVersion;
};

void WriteKey64(ExportContext& ctx, const char* key, int64_t value) {
  ctx.value.Format("0x%016llX", static_cast<unsigned long long>(value));
  ctx.profile.WriteString(key, ctx.value);
}

}  // namespace

bool ExportPort(ExportContext& ctx, int32_t ordinal) {
  PortRecord port;
  if (!ctx.Check("GetPortByOrdinal failed.", ctx.library.GetPortByOrdinal(ordinal, &port.id)))
    return false;
  if (!ctx.Check(
          "GetPortProperties failed.",
          ctx.library.GetPortProperties(port.id, &port.number, port.name.Out(), &port.protocolId,
                                        &port.deviceType, port.serialNo.Out()))) {
    return false;
  }
  if (!ctx.Check("GetZB2GConfig failed.",
                 ctx.library.GetZB2GConfig(port.id, &port.panId, &port.channels, &port.keyA,
                                           &port.keyB))) {
    return false;
  }

  const std::string section = NumberedName(kPortSection, port.id);
  ctx.profile.SetSection(section.c_str());
  WriteInt(ctx, file_key::kNumber, port.number);
  WriteLibraryText(ctx, file_key::kName, port.name);
  WriteLibraryText(ctx, file_key::kSerialNo, port.serialNo);
  WriteInt(ctx, file_key::kProtocolId, port.protocolId);
  // Written so that the device type survives an export followed by an import.
  WriteInt(ctx, file_key::kDeviceType, port.deviceType);
  // Only the low 32 bits of the PAN identifier, at least four digits.
  ctx.value.Format("0x%04X", static_cast<unsigned>(static_cast<uint32_t>(port.panId)));
  ctx.profile.WriteString(file_key::kPanId, ctx.value);
  ctx.profile.WriteString(file_key::kChannels, ChannelList(port.channels));
  WriteKey64(ctx, file_key::kKeyA, port.keyA);
  WriteKey64(ctx, file_key::kKeyB, port.keyB);

  if (port.id > 4 && ctx.pam) {
    const std::string gauge = NumberedName(kTankGaugeSection, port.id);
    ctx.profile.SetSection(gauge.c_str());
    // The integration service reads these two; the section holds no record
    // (kExportOnlySections), so its keys have no table in the schema and are
    // spelled here, like those of the header sections.
    WriteLibraryText(ctx, "Port", port.name);
    WriteInt(ctx, "Protocol", port.protocolId);
  }
  port.name.Reset();
  port.serialNo.Reset();

  // Without device details the port keeps its other keys and the run goes on.
  if (ctx.Check("GetDeviceDetails failed.",
                ctx.library.GetDeviceDetails(port.id, -1, port.details1.Out(), port.details2.Out(),
                                             port.firmwareVersion.Out()))) {
    ctx.profile.SetSection(section.c_str());
    WriteLibraryText(ctx, file_key::kFirmwareVersion, port.firmwareVersion);
  }
  return true;
}
