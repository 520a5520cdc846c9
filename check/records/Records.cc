#include "check/records/Records.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include <nlohmann/json.hpp>

#include "check/text/JsonText.h"
#include "check/text/ShownText.h"
#include "profile/FileEncoding.h"
#include "profile/RecordNames.h"

namespace {

int64_t Scaled(double amount) { return static_cast<int64_t>(std::llround(amount * 10000.0)); }

}  // namespace

const char* TableWord(Table table) { return SchemaOf(table).word; }

const char* TablePlural(Table table) { return SchemaOf(table).plural; }

Value Value::Int(int64_t n) {
  Value v;
  v.kind = Kind::kInt;
  v.number = n;
  return v;
}

Value Value::Amount(double a) {
  Value v;
  v.kind = Kind::kAmount;
  v.amount = a;
  return v;
}

Value Value::Text(std::u16string t) {
  Value v;
  v.kind = Kind::kText;
  v.text = std::move(t);
  return v;
}

bool Value::Same(const Value& other) const {
  if (kind != other.kind) return false;
  switch (kind) {
    case Kind::kInt:
      return number == other.number;
    case Kind::kAmount:
      // At the file's four decimals while the scaled amounts fit in 64 bits.
      if (std::fabs(amount) < 9e14 && std::fabs(other.amount) < 9e14) {
        return Scaled(amount) == Scaled(other.amount);
      }
      return amount == other.amount;
    case Kind::kText:
      return text == other.text;
  }
  return false;
}

std::string Value::Show() const {
  switch (kind) {
    case Kind::kInt:
      return std::to_string(number);
    case Kind::kAmount: {
      // Every digit, however wide the amount (a double reaches 309 digits).
      const bool fourth = std::fabs(amount) < 9e14 && Scaled(amount) % 10 != 0;
      const char* format = fourth ? "%.4f" : "%.3f";
      const int length = std::snprintf(nullptr, 0, format, amount);
      if (length <= 0) return std::string();
      std::string out(static_cast<size_t>(length) + 1, '\0');
      std::snprintf(&out[0], out.size(), format, amount);
      out.resize(static_cast<size_t>(length));
      return out;
    }
    case Kind::kText:
      return "\"" + ShownUnits(text) + "\"";
  }
  return std::string();
}

nlohmann::ordered_json ValueJson(const Value& value) {
  switch (value.kind) {
    case Value::Kind::kInt:
      return value.number;
    case Value::Kind::kAmount:
      return std::isfinite(value.amount) ? nlohmann::ordered_json(value.amount)
                                         : nlohmann::ordered_json();
    case Value::Kind::kText:
      return Utf8OfUnits(value.text);
  }
  return nlohmann::ordered_json();
}

std::string Value::Json() const {
  std::string out = DumpJson(ValueJson(*this));
  out.pop_back();  // the line end
  return out;
}

bool Value::OutsideFileCharacters() const {
  if (kind != Kind::kText) return false;
  for (char16_t unit : text) {
    if (unit > 255) return true;
  }
  return false;
}

std::string SectionName(Table table, int32_t n) { return NumberedName(SchemaOf(table).section, n); }

std::string Record::Name() const {
  if (table != Table::kHose) return SectionName(table, id);
  return SectionName(Table::kPump, pumpId) + " Hose" + std::to_string(hose);
}

const Field* Record::Find(const char* name) const {
  for (const Field& field : fields) {
    if (std::strcmp(field.name, name) == 0) return &field;
  }
  return nullptr;
}

void Record::Put(const char* name, Value value) {
  for (Field& field : fields) {
    if (std::strcmp(field.name, name) == 0) {
      field.value = std::move(value);
      return;
    }
  }
  fields.push_back(Field{name, std::move(value)});
}

Record MakeRecord(Table table, int32_t id, std::vector<Value> values) {
  Record r;
  r.table = table;
  r.id = id;
  size_t next = 0;
  r.fields.reserve(values.size());
  for (const FieldSchema& schema : SchemaOf(table)) {
    if (schema.param == nullptr || next == values.size()) continue;
    r.fields.push_back(Field{schema.param, std::move(values[next++])});
  }
  return r;
}

bool IsSecret(const Record& record, const char* field) {
  const FieldSchema* schema = SchemaOf(record.table).Param(field);
  return schema != nullptr && schema->Has(kSecret);
}

bool HasNoKey(const Record& record, const char* field) {
  const FieldSchema* schema = SchemaOf(record.table).Param(field);
  return schema != nullptr && schema->Uncarried();
}
