// The controller's tables as the emulator keeps them: every field of every
// record, named as in the fixtures and on the wire (the interface's parameter
// names in camelCase).
#pragma once

#include <string>
#include <vector>

namespace emu {

enum class Kind { I32, I16, I64, F64, Text };

struct Field {
  std::string key;
  Kind kind;
};

struct Table {
  std::string name;        // SQL table and fixture key ("ports", "cardClients")
  std::string noun;        // for messages ("port", "card client")
  std::vector<Field> set;  // what the Set and properties calls carry, in interface order
  std::vector<Field> extra;  // kept, but carried by no Set call
  std::string countCall, byOrdinalCall, propertiesCall, setCall;  // empty for hoses
};

const Table& Ports();
const Table& Grades();
const Table& Tanks();
const Table& ZigBee();
const Table& Pumps();
const Table& Hoses();
const Table& Attendants();
const Table& CardClients();

// Every table, in the order of the export (hoses last: they hang off pumps).
const std::vector<const Table*>& AllTables();

}  // namespace emu
