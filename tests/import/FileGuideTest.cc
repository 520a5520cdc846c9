// The technicians' README.txt describes the file key by key ("The INI file,
// key by key"). Its lists must say what the record schema says: every key of
// every table under its table's section, beginning with the kind of its value
// (a reference naming the section it refers to, a shift time its unit), the
// keys IMPORT never reads marked so, no key the schema lacks, and every
// section EXPORT writes for people only named.
//
// The page's layout: "[PortNN]  what it is" opens a table's section; a key
// line is two blanks, the key and two blanks or more before its description
// (or the end of the line); lines indented deeper continue the description.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

namespace {

constexpr char kHeading[] = "The INI file, key by key";
constexpr char kNextHeading[] = "The client library";
constexpr char kNotRead[] = "not read by IMPORT";

// A name pattern as the page spells it: "Port%02d" is "PortNN", "Hose%dID"
// is "HoseNID".
std::string PageName(const char* pattern) {
  std::string name = pattern;
  const std::pair<const char*, const char*> forms[] = {
      {"%02d", "NN"}, {"%03d", "NNN"}, {"%d", "N"}};
  for (const auto& [from, to] : forms) {
    const size_t at = name.find(from);
    if (at != std::string::npos) name.replace(at, std::string(from).size(), to);
  }
  return name;
}

using Keys = std::map<std::string, std::string>;  // key -> its description

struct Page {
  std::string text;
  std::map<std::string, Keys> sections;  // "PortNN" -> its keys
};

// The page's text, from its heading to the next one, and its key lists.
Page ReadPage() {
  std::ifstream in(TARVO_GUIDE, std::ios::binary);
  Page page;
  std::string line;
  bool inside = false;
  Keys* section = nullptr;
  std::string* description = nullptr;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == kHeading) inside = true;
    if (line == kNextHeading) break;
    if (!inside) continue;
    page.text += line + "\n";
    const size_t close = line.find("]  ");
    if (line.rfind('[', 0) == 0 && close != std::string::npos) {
      section = &page.sections[line.substr(1, close - 1)];
      description = nullptr;
    } else if (line.rfind("   ", 0) == 0 && description != nullptr) {
      if (!description->empty()) *description += ' ';
      *description += line.substr(line.find_first_not_of(' '));
    } else if (line.rfind("  ", 0) == 0 && line[2] != ' ' && section != nullptr) {
      const size_t end = line.find(' ', 2);
      description = nullptr;
      if (end != std::string::npos && line.compare(end, 2, "  ") != 0) continue;  // prose
      const std::string key = line.substr(2, end == std::string::npos ? end : end - 2);
      description = &(*section)[key];
      if (end != std::string::npos) *description = line.substr(line.find_first_not_of(' ', end));
    } else {
      description = nullptr;
    }
  }
  return page;
}

// The words a key's description begins with: the kind of its value.
std::string KindWords(const FieldSchema& field) {
  if (field.Has(kReference)) {
    return "identifier of the [" + PageName(SchemaOf(field.refersTo).section) + "]";
  }
  switch (field.kind) {
    case FieldKind::kText:
      return "text";
    case FieldKind::kInt16:
      return "16-bit number";
    case FieldKind::kInt32:
      return "number";
    case FieldKind::kAmount:
      return "amount";
  }
  return "";
}

bool BeginsWithWords(const std::string& text, const std::string& words) {
  return text.compare(0, words.size(), words) == 0 &&
         (text.size() == words.size() ||
          !std::isalnum(static_cast<unsigned char>(text[words.size()])));
}

// What the page must say of a key, compared with what it says.
void ExpectDescribed(const Keys& keys, const std::string& section, const FieldSchema& field) {
  const std::string key = PageName(field.key);
  const auto found = keys.find(key);
  ASSERT_NE(found, keys.end()) << key << " is missing under [" << section << "]";
  const std::string& description = found->second;
  if (!field.Has(kImportReads)) {
    EXPECT_TRUE(BeginsWithWords(description, kNotRead))
        << section << " " << key << ": " << description;
    return;
  }
  EXPECT_EQ(description.find(kNotRead), std::string::npos) << section << " " << key;
  EXPECT_TRUE(BeginsWithWords(description, KindWords(field)))
      << section << " " << key << " should begin with \"" << KindWords(field)
      << "\": " << description;
  if (field.unit != nullptr) {
    EXPECT_NE(description.find(field.unit), std::string::npos) << section << " " << key;
  }
}

TEST(FileGuide, ListsEveryKeyOfTheSchemaUnderItsSectionWithItsKind) {
  const Page page = ReadPage();
  ASSERT_FALSE(page.text.empty()) << "no \"" << kHeading << "\" in " << TARVO_GUIDE;

  std::map<std::string, std::set<std::string>> schemaKeys;
  for (size_t t = 0; t < kTableCount; ++t) {
    const TableSchema& table = SchemaOf(static_cast<Table>(t));
    // A hose's keys stand in its pump's section.
    const std::string section = PageName(table.section != nullptr ? table.section : kPumpSection);
    const auto found = page.sections.find(section);
    ASSERT_NE(found, page.sections.end()) << "no [" << section << "] section";
    for (const FieldSchema& field : table) {
      if (field.key == nullptr) continue;
      schemaKeys[section].insert(PageName(field.key));
      ExpectDescribed(found->second, section, field);
    }
  }
  const std::string grade = PageName(kGradeSection);
  schemaKeys[grade].insert(PageName(kPriceLevelKey));
  EXPECT_TRUE(BeginsWithWords(page.sections.at(grade).at(PageName(kPriceLevelKey)), "amount"));

  // Nothing the schema lacks: no other section, no other key.
  for (const auto& [section, keys] : page.sections) {
    ASSERT_EQ(schemaKeys.count(section), 1u) << "[" << section << "] is no table's section";
    for (const auto& entry : keys) {
      EXPECT_EQ(schemaKeys[section].count(entry.first), 1u)
          << entry.first << " under [" << section << "] is no key of the schema";
    }
  }
}

TEST(FileGuide, NamesTheSectionsImportNeverReads) {
  const Page page = ReadPage();
  for (size_t i = 0; i < kExportOnlySectionCount; ++i) {
    const std::string section = "[" + PageName(kExportOnlySections[i]) + "]";
    EXPECT_NE(page.text.find(section), std::string::npos) << section;
  }
}

}  // namespace
