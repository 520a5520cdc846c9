#include "profile/Profile.h"

#include <new>

#include "platform/File.h"
#include "profile/ProfileLines.h"

CProfile::CProfile(const char* path, bool writable)
    : path_(path != nullptr ? path : ""), writable_(writable) {}

// The safety net for changes that no Save() wrote; after a Save() that
// failed, nothing is written a second time.
CProfile::~CProfile() {
  if (changed_ && !save_failed_) Save(nullptr);
}

void CProfile::SetSection(const char* name) { section_ = name != nullptr ? name : ""; }

bool CProfile::HasSection(const char* name) {
  return name != nullptr && Load(nullptr) && store_.HasSection(name);
}

bool CProfile::Load(std::string* error) {
  if (loaded_) return true;
  platform::FileLoad load;
  if (path_.empty()) {
    if (error != nullptr) *error = "No such file or directory";
    return false;
  }
  // A file too large for the memory at hand is a failure to read it like
  // any other, not the end of the process.
  try {
    if (!platform::LoadFile(path_, writable_, &load, error)) return false;
    store_.Assign(std::move(load.bytes));
    target_ = std::move(load.target);
  } catch (const std::bad_alloc&) {
    store_ = ProfileStore();
    if (error != nullptr) *error = "Not enough memory";
    return false;
  }
  loaded_ = true;
  return true;
}

bool CProfile::Open(std::string* error) { return Load(error); }

int CProfile::ReadString(const char* key, Text& value) {
  value = Text("");
  std::string_view found;
  if (key == nullptr || section_.empty() || !Load(nullptr) || !store_.Read(section_, key, &found)) {
    return 0;
  }
  value = Text(std::string(profile_lines::Unquote(found)));
  return value.Length();
}

int32_t CProfile::ReadInt(const char* key) {
  Text text;
  ReadString(key, text);
  return text.ToInt();
}

Currency CProfile::ReadCurrency(const char* key) {
  Currency amount;
  std::string_view found;
  if (key != nullptr && !section_.empty() && Load(nullptr) && store_.Read(section_, key, &found)) {
    amount.value = profile_lines::ToCurrency(profile_lines::Unquote(found));
  }
  return amount;
}

int CProfile::WriteString(const char* key, const Text& value) {
  // Names that would damage the file are refused before the file is touched.
  if (!writable_ || key == nullptr || !profile_lines::IsWritableKey(key) ||
      !profile_lines::IsWritableSection(section_) || !Load(nullptr)) {
    return 0;
  }
  // An absent value is written like an empty one.
  std::string bytes = value.Length() > 0 ? value.Narrow() : std::string();
  if (!store_.Write(section_, key, bytes)) return 0;
  changed_ = true;
  return value.Length();
}

bool CProfile::Save(std::string* error) {
  if (!changed_) return true;
  if (!platform::ReplaceContent(*target_, store_.Pieces(), error)) {
    save_failed_ = true;
    // A file that this profile created and never filled goes again.
    if (!saved_) platform::RemoveCreated(*target_);
    return false;
  }
  changed_ = false;
  saved_ = true;
  return true;
}
