// The file as a whole: what makes IMPORT read lines or characters other than
// the ones a person sees.
#include <string>

#include "check/rules/CheckRules.h"

namespace {

void WarnNul(CheckContext& ctx, const std::string& b) {
  const size_t nul = b.find('\0');
  if (nul != std::string::npos) {
    ctx.Warn("nul-bytes", ctx.file.LineAt(nul), "", "",
             "NUL bytes: IMPORT ignores the rest of each line after one");
  }
}

void WarnLoneCr(CheckContext& ctx, const std::string& b) {
  size_t loneCr = std::string::npos;
  for (size_t i = 0; i + 1 < b.size(); ++i) {
    if (b[i] == '\r' && b[i + 1] != '\n') {
      loneCr = i;
      break;
    }
  }
  if (loneCr == std::string::npos) return;
  ctx.Warn("cr-line-ends", ctx.file.LineAt(loneCr), "", "",
           b.find('\n') == std::string::npos
               ? "lines end with CR alone: IMPORT reads the whole file as one line"
               : "a line ends with CR alone: IMPORT reads it and the next line as one");
}

// A file without a byte-order mark is read byte for byte, so a character
// saved as UTF-8 reaches the controller as two to four characters. A file
// with a mark is read in its encoding: its texts arrive as they are.
void WarnUtf8WithoutMark(CheckContext& ctx, const std::string& b) {
  if (ctx.mark != file_encoding::Mark::kNone) return;
  size_t count = 0;
  size_t first = 0;
  for (size_t i = 0; i < b.size(); ++i) {
    // No sequence starts below 0xC2 (ASCII, continuation bytes, overlong leads).
    if (static_cast<unsigned char>(b[i]) < 0xC2) continue;
    const size_t length = file_encoding::Utf8SequenceLength(b, i);
    if (length == 0) continue;
    if (count == 0) first = i;
    ++count;
    i += length - 1;
  }
  if (count == 0) return;
  ctx.Warn("utf8-without-mark", ctx.file.LineAt(first), "", "",
           std::to_string(count) +
               " characters look like UTF-8; IMPORT reads the file byte for byte, so each "
               "becomes two to four characters in the controller (save it as ANSI, or as UTF-8 "
               "with a byte-order mark)");
}

}  // namespace

void CheckWholeFile(CheckContext& ctx) {
  const std::string& b = ctx.file.Bytes();
  WarnNul(ctx, b);
  WarnLoneCr(ctx, b);
  WarnUtf8WithoutMark(ctx, b);
  if (ctx.check->prediction.records.empty()) {
    ctx.Warn("writes-nothing", 0, "", "", "IMPORT would write no record at all");
  }
}
