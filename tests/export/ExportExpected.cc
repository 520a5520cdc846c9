#include "tests/export/ExportExpected.h"

namespace exporttest {

std::string NoDetailsLine(const std::string& record) {
  return "GetDeviceDetails failed. - Device details not available (" + record + ").\n";
}

const int kFaultCode = 6;

std::string FaultLine(const std::string& message, const std::string& call) {
  return message + " - Record not found (injected fault in " + call + ").\n";
}

std::string Application() {
  return R"ini(
[Application]
Name=Tarvo2Serial service configuration
IniVersion=22.02
DateGenerated=<date>
ClientVersion=4.2.1
ServerVersion=4.2.0
)ini";
}

std::string Integration(const std::string& protocol) {
  return R"ini(
[Log]
Screen=1
File=1
Socket=0

[Server]
Name=<local>
CallPort=5123
EventsPort=5124
CallTimeout=10000

[Port]
Name=COM2

[Protocol]
Name=)ini" + protocol + R"ini(

[Company]
Baudrate=9600
DataBits=8
Parity=N
StopBits=1

[Pam]
Baudrate=4800
DataBits=7
Parity=O
StopBits=1
PriceDspFormat=1
VolumeDspFormat=10
ValueDspFormat=10
PumpType=4
)ini";
}

std::string Gsc() {
  return R"ini(
[GSC]
GSC=Yes
Name=192.168.0.100
CommandPort=6001
EventPort=6003
LogAll=No
AutoClear=No
)ini";
}

std::string Ipt() {
  return R"ini(
[IPT]
IPT=Yes
Terminal=1
Port=COM1
Baudrate=9600
DataBits=8
Parity=N
StopBits=1
)ini";
}

}  // namespace exporttest
