// The record schema names every key of a record section that EXPORT writes
// and every key IMPORT reads, and no other: an EXPORT in process of a
// controller with one record in each table, then an IMPORT of that file with
// the profile keeping what it was asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "client/ClientLibrary.h"
#include "export/ExportConfiguration.h"
#include "import/ImportConfiguration.h"
#include "profile/Profile.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"
#include "tests/support/OneOfEachLibrary.h"
#include "tests/support/TestFiles.h"

namespace {

// Whether a section name is of a pattern ("Pump%02d": "Pump01", "Pump120").
bool Named(const std::string& section, const char* pattern) {
  const char* cut = std::strchr(pattern, '%');
  const size_t prefix = cut == nullptr ? std::strlen(pattern) : static_cast<size_t>(cut - pattern);
  return section.compare(0, prefix, pattern, prefix) == 0 &&
         (cut == nullptr
              ? section.size() == prefix
              : section.size() > prefix &&
                    section.find_first_not_of("0123456789", prefix) == std::string::npos);
}

// The table whose sections are named like this one, or none.
const TableSchema* TableOfSection(const std::string& section) {
  for (size_t t = 0; t < kTableCount; ++t) {
    const TableSchema& table = SchemaOf(static_cast<Table>(t));
    if (table.section != nullptr && Named(section, table.section)) return &table;
  }
  return nullptr;
}

// The schema's keys of a table's section: its own, a grade's price levels, a
// pump's hoses; with flag, only those of fields that have it.
std::set<std::string> SchemaKeys(const TableSchema& table, unsigned flag) {
  std::set<std::string> keys;
  auto add = [&](const TableSchema& of) {
    for (const FieldSchema& f : of) {
      if (f.key != nullptr && (flag == 0 || f.Has(flag))) keys.insert(f.key);
    }
  };
  add(table);
  if (table.table == Table::kPump) add(SchemaOf(Table::kHose));
  if (table.table == Table::kGrade) keys.insert(kPriceLevelKey);
  return keys;
}

// The schema key that a file key spells, patterns filled with 1 to 8; the
// file key itself when there is none.
std::string SchemaKeyOf(const std::set<std::string>& keys, const std::string& key) {
  for (const std::string& k : keys) {
    for (int n = 1; n <= kHosesPerPump; ++n) {
      if (NumberedName(k.c_str(), n) == key) return k;
    }
  }
  return key;
}

using KeysBySection = std::map<std::string, std::set<std::string>>;

// The schema keys of every record section (in the table's first section name)
// against the schema's own.
void ExpectSchemaKeys(const KeysBySection& found, unsigned flag, const char* what) {
  std::map<std::string, std::set<std::string>> byTable;
  for (const auto& [section, keys] : found) {
    const TableSchema* table = TableOfSection(section);
    if (table == nullptr) continue;
    for (const std::string& key : keys) {
      byTable[table->word].insert(SchemaKeyOf(SchemaKeys(*table, 0), key));
    }
  }
  for (size_t t = 0; t < kTableCount; ++t) {
    const TableSchema& table = SchemaOf(static_cast<Table>(t));
    if (table.section == nullptr) continue;
    EXPECT_EQ(byTable[table.word], SchemaKeys(table, flag)) << what << " " << table.word;
  }
}

TEST(RecordKeys, ExportWritesAndImportReadsTheSchemasKeys) {
  ScratchFolder folder;
  const std::string path = folder.Path("station.ini");
  OneOfEachLibrary library;
  std::FILE* out = std::fopen(folder.Path("out.txt").c_str(), "wb");
  ASSERT_NE(out, nullptr);
  {
    CProfile profile(path.c_str(), true);
    ExportOptions options;
    options.pam = true;
    EXPECT_EQ(RunExport(profile, library, out, options), 0);
  }
  KeysBySection written;
  std::string section;
  const std::string file = GetFile(path);
  for (size_t at = 0, end = 0; at < file.size(); at = end + 2) {
    end = std::min(file.find("\r\n", at), file.size());
    const std::string line = file.substr(at, end - at);
    if (line.empty()) continue;
    if (line.front() == '[') {
      section = line.substr(1, line.size() - 2);
      bool exportOnly = false;
      for (size_t i = 0; i < kExportOnlySectionCount; ++i) {
        exportOnly |= Named(section, kExportOnlySections[i]);
      }
      EXPECT_TRUE(TableOfSection(section) != nullptr || exportOnly) << section;
    } else {
      written[section].insert(line.substr(0, line.find('=')));
    }
  }
  ExpectSchemaKeys(written, 0, "EXPORT writes");

  CProfile::Reads reads;
  {
    CProfile profile(path.c_str(), false);
    profile.KeepReads(&reads);
    EXPECT_EQ(RunImport(profile, library, out), 0);
  }
  std::fclose(out);
  KeysBySection read;
  for (const auto& [name, key] : reads) {
    EXPECT_NE(TableOfSection(name), nullptr) << name;
    read[name].insert(key);
  }
  ExpectSchemaKeys(read, kImportReads, "IMPORT reads");
}

}  // namespace
