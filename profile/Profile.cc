#include "profile/Profile.h"

#include <new>

#include "platform/File.h"
#include "profile/ProfileLines.h"

namespace fe = file_encoding;

CProfile::CProfile(const char* path, bool writable)
    : path_(path != nullptr ? path : ""), writable_(writable) {}

// The safety net for changes that no Save() wrote; after a Save() that
// failed, nothing is written a second time.
CProfile::~CProfile() {
  if (changed_ && !saveFailed_) Save(nullptr);
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
    store_.Assign(FromFile(std::move(load.bytes)));
    target_ = std::move(load.target);
  } catch (const std::bad_alloc&) {
    store_ = ProfileStore();
    mark_ = fe::Mark::kNone;
    oddByte_.clear();
    if (error != nullptr) *error = "Not enough memory";
    return false;
  }
  loaded_ = true;
  return true;
}

std::string CProfile::FromFile(std::string bytes) {
  mark_ = fe::MarkOf(bytes);
  oddByte_.clear();
  bytes.erase(0, fe::MarkBytes(mark_).size());
  const std::string_view text = bytes;
  switch (mark_) {
    case fe::Mark::kNone:
    case fe::Mark::kUtf8:
      return bytes;
    case fe::Mark::kUtf16Le:
    case fe::Mark::kUtf16Be:
      if (text.size() % 2 != 0) oddByte_.assign(1, text.back());
      return fe::Utf16ToUtf8(text.substr(0, text.size() - oddByte_.size()),
                             mark_ == fe::Mark::kUtf16Be);
  }
  return bytes;
}

std::vector<std::string_view> CProfile::ToFile(std::string* buffer) const {
  if (mark_ == fe::Mark::kUtf16Le || mark_ == fe::Mark::kUtf16Be) {
    buffer->assign(fe::MarkBytes(mark_));
    buffer->append(fe::Utf8ToUtf16(store_.Bytes(), mark_ == fe::Mark::kUtf16Be));
    buffer->append(oddByte_);
    return {*buffer};
  }
  std::vector<std::string_view> pieces = store_.Pieces();
  if (mark_ == fe::Mark::kUtf8) pieces.insert(pieces.begin(), fe::MarkBytes(mark_));
  return pieces;
}

std::string_view CProfile::FileName(std::string_view name, std::string* buffer) const {
  if (mark_ == fe::Mark::kNone || fe::IsAscii(name)) return name;
  *buffer = fe::BytesToUtf8(name);
  return *buffer;
}

bool CProfile::Open(std::string* error) { return Load(error); }

int CProfile::ReadString(const char* key, Text& value) {
  value = Text("");
  if (reads_ != nullptr && key != nullptr) reads_->emplace_back(section_, key);
  std::string_view found;
  std::string section, name;
  if (key == nullptr || section_.empty() || !Load(nullptr) ||
      !store_.Read(FileName(section_, &section), FileName(key, &name), &found)) {
    return 0;
  }
  found = profile_lines::Unquote(found);
  if (mark_ == fe::Mark::kNone) {
    value = Text(std::string(found));
  } else {
    const std::u16string units = fe::DecodeUtf8(found, Text::kMaxLength);
    value = Text::FromUnits(units.data(), static_cast<int>(units.size()));
  }
  return value.Length();
}

int32_t CProfile::ReadInt(const char* key) {
  Text text;
  ReadString(key, text);
  return text.ToInt();
}

Currency CProfile::ReadCurrency(const char* key) {
  Currency amount;
  if (reads_ != nullptr && key != nullptr) reads_->emplace_back(section_, key);
  std::string_view found;
  std::string section, name;
  if (key != nullptr && !section_.empty() && Load(nullptr) &&
      store_.Read(FileName(section_, &section), FileName(key, &name), &found)) {
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
  std::string bytes;
  if (mark_ != fe::Mark::kNone) {
    fe::AppendUtf8(&bytes, value.Units());
  } else if (value.Length() > 0) {
    bytes = value.Narrow();
  }
  std::string section, name;
  if (!store_.Write(FileName(section_, &section), FileName(key, &name), bytes)) return 0;
  changed_ = true;
  return value.Length();
}

bool CProfile::Save(std::string* error) {
  if (!changed_) return true;
  std::string encoded;
  if (!platform::ReplaceContent(*target_, ToFile(&encoded), error)) {
    saveFailed_ = true;
    // A file that this profile created and never filled goes again.
    if (!saved_) platform::RemoveCreated(*target_);
    return false;
  }
  changed_ = false;
  saved_ = true;
  return true;
}
