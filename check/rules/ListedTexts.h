// The texts of only the findings a report can list. A report lists, per
// code, the first kListedPerCode findings in line order of what it shows
// (all, errors only, all but errors; folded ones apart); a finding among the
// first of its code, level and folding is among the first of every such
// selection that holds it. The others stay in the list, so that they are
// counted and folded under the finding that explains them, but without their
// texts: a file of a million faults holds a million small entries, not a
// million messages.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <queue>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "check/rules/Check.h"

class ListedTexts {
 public:
  // Files findings[index], whose line, code, level and folding are final:
  // it keeps its texts while among the first of its kind, and the one it
  // puts out of them loses them.
  void File(Findings* findings, size_t index);

 private:
  using Kind = std::tuple<std::string, Finding::Level, bool>;
  // Per kind, the (line, index) of the findings that keep their texts, the
  // last in line order on top.
  std::map<Kind, std::priority_queue<std::pair<int, size_t>>> kept_;
};

// Drops the texts of a finding no report lists; its code, level, line,
// section, key and folding stay.
void DropTexts(Finding* f);
