// ResultString: a clear English text for every result code. The table is also
// in emulator/README.md. A text names what failed when the last failure had the
// same code: "Connection refused (127.0.0.1:5123)", "Record not found (no
// port 3)". Texts carry no final full stop; the caller adds its own.
#include <string>
#include <vector>

#include "emulator/library/Export.h"  // before the declarations
#include "client/TarvoClient.h"
#include "emulator/library/Connection.h"
#include "emulator/library/Unicode.h"
#include "emulator/protocol/Protocol.h"

namespace {

std::string BaseText(int32_t code) {
  switch (code) {
    case tarvo_wire::kOk: return "Success";
    case tarvo_wire::kUnknownHost: return "Unknown host";
    case tarvo_wire::kConnectionRefused: return "Connection refused";
    case tarvo_wire::kTimedOut: return "Timed out";
    case tarvo_wire::kConnectionLost: return "Connection to the controller server lost";
    case tarvo_wire::kNotLoggedOn: return "Not logged on";
    case tarvo_wire::kNotFound: return "Record not found";
    case tarvo_wire::kInvalidValue: return "Invalid value";
    case tarvo_wire::kMissingReference: return "Referenced record missing";
    case tarvo_wire::kServerError: return "Controller server error";
    case tarvo_wire::kInvalidArgument: return "Invalid argument";
    case tarvo_wire::kProtocolError: return "Unexpected reply from the controller server";
    case tarvo_wire::kNetworkError: return "Network error";
    case tarvo_wire::kNoDeviceDetails: return "Device details not available";
    default: return "Unknown result code " + std::to_string(code);
  }
}

}  // namespace

extern "C" TARVO_API BSTR TARVO_CALL ResultString(int32_t code) {
  std::string text = BaseText(code);
  std::string detail = tarvo_lib::FailureDetail(code);
  if (code != 0 && !detail.empty()) text += " (" + detail + ")";
  std::vector<uint16_t> units = tarvo_lib::UnitsFromUtf8(text);
  std::vector<OLECHAR> chars(units.begin(), units.end());
  return SysAllocStringLen(chars.data(), static_cast<uint32_t>(chars.size()));
}
