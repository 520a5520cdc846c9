#include "check/text/JsonText.h"

#include <cstdint>

#include <nlohmann/json.hpp>

#include "profile/FileEncoding.h"
#include "profile/ProfileLines.h"

std::string Utf8Of(const std::string& bytes, bool utf8) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    const size_t length = c < 0x80 || !utf8 ? 0 : file_encoding::Utf8SequenceLength(bytes, i);
    if (length > 0) {
      out.append(bytes, i, length);
      i += length - 1;
    } else {
      file_encoding::AppendCode(&out, c);
    }
  }
  return out;
}

std::string Utf8OfUnits(const std::u16string& units) {
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    file_encoding::AppendCode(&out, c);
  }
  return out;
}

// The table's word as the section names spell it ("Pump"), in lower case.
std::string TableName(Table table) { return profile_lines::Lower(SchemaOf(table).word); }

std::string DumpJson(const nlohmann::ordered_json& doc) {
  // Every string is UTF-8 by now; a fault left would be replaced, never thrown.
  const std::string text =
      doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  std::string out;
  out.reserve(text.size() + 1);
  // Outside strings JSON holds no DEL: each one is inside a string.
  for (char c : text) {
    if (c == 0x7F) {
      out += "\\u007f";
    } else {
      out.push_back(c);
    }
  }
  return out + "\n";
}
