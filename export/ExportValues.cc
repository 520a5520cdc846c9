#include "export/ExportContext.h"

#include <string>

void WriteInt(ExportContext& ctx, const char* key, int32_t number) {
  ctx.value.Format("%d", number);
  ctx.profile.WriteString(key, ctx.value);
}

void WriteDouble(ExportContext& ctx, const char* key, double number) {
  ctx.value.Format("%.3f", number);
  ctx.profile.WriteString(key, ctx.value);
}

void WriteFixed(ExportContext& ctx, const char* key, const char* text) {
  ctx.profile.WriteString(key, Text(text));
}

void WriteLibraryText(ExportContext& ctx, const char* key, const LibString& text) {
  ctx.profile.WriteString(key, FileSafeText(text.ToText()));
}

Text FileSafeText(const Text& text) {
  const int length = text.Length();
  if (length == 0) return text;
  std::u16string units = text.Units();
  for (char16_t& c : units) {
    if (c == u'\r' || c == u'\n') c = u' ';
  }
  const bool blankEnd = units.front() == u' ' || units.back() == u' ';
  const bool quoted = units.front() == u'"' && units.back() == u'"';
  if (!blankEnd && !quoted) return Text::FromUnits(units.data(), length);
  // One pair of quotes is two more units than the Text can hold at most; a
  // text that long is cut rather than lost.
  if (length > Text::kMaxLength - 2) units.resize(Text::kMaxLength - 2);
  units = u"\"" + units + u"\"";
  return Text::FromUnits(units.data(), static_cast<int>(units.size()));
}

Text ChannelList(int32_t mask) {
  const uint32_t bits = static_cast<uint32_t>(mask);
  std::string list;
  for (int channel = 11; channel <= 26; ++channel) {
    if ((bits >> channel) & 1u) {
      list += list.empty() ? ' ' : ',';
      list += std::to_string(channel);
    }
  }
  return Text(list);
}
