// The controller's records, read with the library's count, by-ordinal and
// properties calls only: nothing here writes to the controller.
#pragma once

#include <string>
#include <vector>

#include "check/records/Records.h"

class ClientLibrary;

// Every record of every table that the import writes, in the import's
// order of tables, with the fields its Set call takes. False, with the
// failed call and the library's text in `failure`, when a call is refused.
bool ReadController(ClientLibrary& library, std::vector<Record>* records, std::string* failure);
