// The names of the file's numbered sections and keys: a table word and a
// record's number ("Pump%02d" of pump 4 is "Pump04", "Client%03d" of client 7
// is "Client007"), and the hose keys named after a hose's number
// ("Hose%dTank"). The export writes these names and the import reads them.
#pragma once

#include <cstdint>
#include <string>

constexpr char kPortSection[] = "Port%02d";
constexpr char kTankGaugeSection[] = "TankGauge%02d";
constexpr char kGradeSection[] = "Grade%02d";
constexpr char kTankSection[] = "Tank%02d";
constexpr char kZigBeeSection[] = "ZigBee%02d";
constexpr char kPumpSection[] = "Pump%02d";
constexpr char kAttendantSection[] = "Attendant%02d";
constexpr char kClientSection[] = "Client%03d";
// A grade's price level: "Price01" to "Price08".
constexpr char kPriceLevelKey[] = "Price%02d";

// The name that a printf pattern with one integer conversion gives for n.
std::string NumberedName(const char* pattern, int32_t n);
