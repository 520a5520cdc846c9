// Expected pieces of exported files, written with "\n" line ends (Crlf turns
// them into the file's CR LF) and with the DateGenerated value masked.
#pragma once

#include <string>

namespace exporttest {

// The emulator's text for the code with which GetDeviceDetails fails for a
// record without details, and for the code the failure fixtures inject.
extern const std::string kNoDetailsText;
extern const int kFaultCode;
extern const std::string kFaultText;

// The Application section of a new file, versions 4.2.1 and 4.2.0.
std::string Application();
// Log, Server, Port, Protocol (with the given name), Company and Pam.
std::string Integration(const std::string& protocol);
std::string Gsc();
std::string Ipt();

}  // namespace exporttest
