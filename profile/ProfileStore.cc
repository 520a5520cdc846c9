#include "profile/ProfileStore.h"

#include "profile/ProfileLines.h"

namespace pl = profile_lines;

void ProfileStore::Assign(std::string bytes) {
  base_ = std::move(bytes);
  segments_.clear();
  headers_.clear();
  lastValid_ = false;
  segments_.emplace_back();
  const std::string_view all(base_);
  size_t pos = 0;
  while (pos < all.size()) {
    size_t len = pl::LineLength(all, pos);
    if (pl::IsBracketLine(all.substr(pos, len))) {
      segments_.emplace_back();
      segments_.back().begin = pos;
    }
    segments_.back().size += len;
    segments_.back().lines += 1;
    pos += len;
  }
  for (size_t s = 1; s < segments_.size(); ++s) {
    Index(s);
    IndexIfLarge(segments_[s]);
  }
}

void ProfileStore::IndexIfLarge(Segment& segment) {
  if (segment.indexed || segment.lines < indexFromLines_) return;
  const std::string_view text = View(segment);
  segment.indexed = std::make_unique<IndexedSection>(text, std::move(segment.own));
}

std::string_view ProfileStore::View(const Segment& segment) const {
  if (segment.own) return *segment.own;
  return std::string_view(base_).substr(segment.begin, segment.size);
}

std::string_view ProfileStore::HeaderLine(const Segment& segment) const {
  if (segment.indexed) return segment.indexed->HeaderLine();
  std::string_view text = View(segment);
  return text.substr(0, pl::LineLength(text, 0));
}

std::string& ProfileStore::Own(Segment& segment) {
  if (!segment.own) {
    segment.own = std::make_unique<std::string>(View(segment));
  }
  return *segment.own;
}

void ProfileStore::Index(size_t segment) {
  std::string_view name;
  if (pl::HeaderName(HeaderLine(segments_[segment]), &name)) {
    headers_.emplace(pl::Lower(name), segment);
  }
}

size_t ProfileStore::FindSection(std::string_view name) const {
  if (name.empty()) return 0;
  if (lastValid_ && lastName_ == name) return lastSegment_;
  lastName_.assign(name);
  lastValid_ = true;
  if (name.find(']') == std::string_view::npos) {
    auto it = headers_.find(pl::Lower(name));
    lastSegment_ = it == headers_.end() ? 0 : it->second;
    return lastSegment_;
  }
  // A name holding "]" can match a header line at any of its "]"s; such names
  // do not occur in practice, so they are looked up the long way.
  for (size_t s = 1; s < segments_.size(); ++s) {
    if (pl::IsHeaderOf(HeaderLine(segments_[s]), name)) {
      lastSegment_ = s;
      return s;
    }
  }
  lastSegment_ = 0;
  return 0;
}

bool ProfileStore::Read(std::string_view section, std::string_view key,
                        std::string_view* value) const {
  size_t s = FindSection(section);
  if (s == 0) return false;
  if (segments_[s].indexed) return segments_[s].indexed->Read(key, value);
  std::string_view text = View(segments_[s]);
  pl::KeySearch found = pl::FindKey(text.substr(pl::LineLength(text, 0)), key);
  if (!found.found) return false;
  *value = found.value;
  return true;
}

bool ProfileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
  if (!pl::IsWritableSection(section) || !pl::IsWritableKey(key)) return false;
  size_t s = FindSection(section);
  if (s == 0) {
    // A new section is an empty line, its header and the key line. The CR LF
    // of the empty line also ends an unterminated last line.
    Segment& last = segments_.back();
    if (last.indexed) {
      last.indexed->AppendLineEnd();
    } else {
      Own(last).append("\r\n");
      last.lines += 1;
    }
    segments_.emplace_back();
    segments_.back().own = std::make_unique<std::string>(pl::HeaderLine(section));
    segments_.back().lines = 2;
    pl::AppendKeyLine(segments_.back().own.get(), key, value);
    Index(segments_.size() - 1);
    // No earlier header matched the name, so the new header is the first
    // that does: the section is known without a look-up on the next write.
    lastName_.assign(section);
    lastSegment_ = segments_.size() - 1;
    lastValid_ = true;
    return true;
  }
  Segment& segment = segments_[s];
  if (segment.indexed) {
    segment.indexed->Write(key, value, s + 1 == segments_.size());
    return true;
  }
  std::string_view text = View(segment);
  size_t header = pl::LineLength(text, 0);
  pl::KeySearch found = pl::FindKey(text.substr(header), key);
  std::string& bytes = Own(segment);
  if (found.found) {
    // Blank lines before the key line go with it.
    size_t from = header + found.rewriteFrom;
    std::string line;
    pl::AppendKeyLine(&line, key, value);
    bytes.replace(from, header + found.lineEnd - from, line);
  } else if (s + 1 == segments_.size()) {
    // The section runs to the end of the file: append after any blank lines.
    bytes.append(pl::LineEndNeeded(bytes));
    pl::AppendKeyLine(&bytes, key, value);
  } else {
    // Insert before the next header; the blank lines before it disappear.
    bytes.resize(header + found.rewriteFrom);
    pl::AppendKeyLine(&bytes, key, value);
  }
  // Counted high when blank lines went: the count only decides when to index.
  segment.lines += 1;
  IndexIfLarge(segment);
  return true;
}

std::vector<std::string_view> ProfileStore::Pieces() const {
  std::vector<std::string_view> pieces;
  pieces.reserve(segments_.size());
  for (const Segment& segment : segments_) {
    if (segment.indexed) {
      segment.indexed->AppendPieces(&pieces);
      continue;
    }
    std::string_view text = View(segment);
    if (!text.empty()) pieces.push_back(text);
  }
  return pieces;
}

std::string ProfileStore::Bytes() const {
  // Sized once: the copy of a large file is held beside the file itself.
  const std::vector<std::string_view> pieces = Pieces();
  size_t size = 0;
  for (std::string_view piece : pieces) size += piece.size();
  std::string all;
  all.reserve(size);
  for (std::string_view piece : pieces) all.append(piece);
  return all;
}
