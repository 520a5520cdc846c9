// CProfile: the configuration file in INI form.
//
// One CProfile is bound to one file for a whole procedure. Reads and writes
// work on the current section (SetSection) with the search and rewrite rules
// of the profile file; the file is read once, on the first access, held as
// lines with an index, and written back once by Save() (or, for changes not
// yet saved, by the destructor, unless a Save() failed).
//
// A file without a byte-order mark is bytes, each byte one character (the
// shared Text's narrow conversion). In a file with a UTF-8 or UTF-16 mark the
// texts are UTF-8 or UTF-16: values read are decoded to 16-bit code units and
// values written encoded, and the file is saved with the mark and in the
// encoding it was read in (see FileEncoding.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/File.h"
#include "profile/Currency.h"
#include "profile/FileEncoding.h"
#include "profile/ProfileStore.h"
#include "profile/Text.h"

class CProfile {
 public:
  // Does not touch the file. With writable set, a missing file is created on
  // first access and Save() writes the changes back; without it the file is
  // only read.
  CProfile(const char* path, bool writable);
  ~CProfile();
  CProfile(const CProfile&) = delete;
  CProfile& operator=(const CProfile&) = delete;

  void SetSection(const char* name);
  // True when the file has a header of that name (false when it cannot be
  // read).
  bool HasSection(const char* name);

  // A missing section or key reads as empty text, 0, 0. ReadString removes one
  // pair of enclosing double quotes. ReadCurrency has no sign and rounds
  // halves away from zero; an amount too large for Currency gives INT64_MAX.
  int ReadString(const char* key, Text& value);
  int32_t ReadInt(const char* key);
  Currency ReadCurrency(const char* key);

  // The section and key of every read from now on, found or not, appended to
  // reads (a test's record of which keys a procedure asks for); null stops.
  using Reads = std::vector<std::pair<std::string, std::string>>;
  void KeepReads(Reads* reads) { reads_ = reads; }

  // Replaces the key's line in the current section, or adds the key (and the
  // section). Each CR or LF of the value is written as a blank, so a value
  // never starts a line; a key appended after an unterminated last line gets
  // a line of its own. Returns the value's length, or 0 when nothing was
  // written: the file cannot be used, the profile is not writable, or the key
  // or section name is empty, holds CR or LF, or (a key) would read as a
  // header.
  int WriteString(const char* key, const Text& value);

  // Reads (and, when writable, creates) the file now. False, with a reason
  // such as "No such file or directory", when it cannot be read, created or
  // written.
  bool Open(std::string* error);

  // Writes the changes made since the file was read to the file that was
  // read (platform::ReplaceContent). True when there was nothing to write.
  // False, with a reason, when the file could not be written; a file that
  // the first access created is then removed again while nothing has been
  // saved into it, and the destructor writes nothing more.
  bool Save(std::string* error);

  // The file as read, in the form the reads see it: without its byte-order
  // mark, a UTF-16 file as UTF-8, with the changes made since. Empty before
  // the file is read.
  std::string Content() const { return store_.Bytes(); }
  // The byte-order mark the file was read with.
  file_encoding::Mark Encoding() const { return mark_; }
  // The path given to the constructor (empty for a null one).
  const std::string& Path() const { return path_; }

 private:
  // Reads the file on the first access; a failed attempt is tried again on the
  // next one.
  bool Load(std::string* error);

  // The bytes of the file as read, made into the store's bytes: without the
  // mark, and UTF-16 as UTF-8.
  std::string FromFile(std::string bytes);
  // The store's content as the file holds it; `buffer` keeps what the views
  // point at when the content had to be converted.
  std::vector<std::string_view> ToFile(std::string* buffer) const;
  // A section or key name (each byte one character) as the file spells it.
  std::string_view FileName(std::string_view name, std::string* buffer) const;

  std::string path_;
  bool writable_;
  std::string section_;
  bool loaded_ = false;
  bool changed_ = false;
  bool saved_ = false;       // a Save() has written the file
  bool saveFailed_ = false;  // a Save() has failed
  ProfileStore store_;
  platform::SaveTargetPtr target_;  // set once a writable profile is loaded
  file_encoding::Mark mark_ = file_encoding::Mark::kNone;
  // A UTF-16 file's odd last byte, which is no character: kept at the end.
  std::string oddByte_;
  Reads* reads_ = nullptr;
};
