// Expected pieces of exported files, written with "\n" line ends (Crlf turns
// them into the file's CR LF) and with the DateGenerated value masked.
#pragma once

#include <string>

namespace exporttest {

// The line printed when a record has no device details; what names the
// record in the emulator's text, e.g. "port 5" or "ZigBee device 17".
std::string NoDetailsLine(const std::string& record);
// The code the failure fixtures inject, and the line its failure prints.
extern const int kFaultCode;
std::string FaultLine(const std::string& message, const std::string& call);

// The Application section of a new file, versions 4.2.1 and 4.2.0.
std::string Application();
// Log, Server, Port, Protocol (with the given name), Company and Pam.
std::string Integration(const std::string& protocol);
std::string Gsc();
std::string Ipt();

}  // namespace exporttest
