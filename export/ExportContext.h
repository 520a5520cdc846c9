// What every table step of the export shares: the profile file object bound
// to the configuration file, the library it reads from and where its lines
// go, the value Text reused for every formatted value, the integration option
// that adds the tank-gauge sections, and whether the run is a VERSION.
//
// Every value reaches the file through the writers below, so that the
// formats sit in one place:
//   32-bit and 16-bit integers  "%d" (16-bit values widened with their sign)
//   doubles                     "%.3f", "." as the decimal point
//   texts from the library      as they stand, or inside one pair of double
//                               quotes when they would not read back unchanged
#pragma once

#include <cstdint>
#include <cstdio>

#include "client/CheckResult.h"
#include "client/ClientLibrary.h"
#include "client/LibString.h"
#include "profile/Profile.h"
#include "profile/Text.h"

struct ExportContext {
  CProfile& profile;
  ClientLibrary& library;
  std::FILE* out;  // count lines and failure lines
  bool pam = false;
  bool versionOnly = false;
  Text value;  // overwritten by each formatting

  // CheckResult for this run's library and output.
  bool Check(const char* step, int32_t code) { return CheckResult(library, out, step, code); }
};

void WriteInt(ExportContext& ctx, const char* key, int32_t number);
void WriteDouble(ExportContext& ctx, const char* key, double number);
// A fixed text that the export itself chose; never quoted.
void WriteFixed(ExportContext& ctx, const char* key, const char* text);
// A text the library returned; an empty or absent one gives an empty value.
void WriteLibraryText(ExportContext& ctx, const char* key, const LibString& text);

// The form in which a text from the library is written so that reading the
// key back gives the text unchanged: a non-empty text that begins or ends
// with a blank, or whose first and last characters are both a double quote
// (a lone double quote included), is put inside one pair of double quotes;
// every other text stays as it is. A line break inside the text would split
// the key line and plant lines of its own in the file, so CR and LF become
// blanks first.
Text FileSafeText(const Text& text);

// The ZigBee channels 11 to 26 set in the mask, ascending: " 11,15,16".
// Bits outside 11 to 26 are ignored; no channel gives empty text.
Text ChannelList(int32_t mask);
