#include <cstring>

#include <nlohmann/json.hpp>

#include "check/diff/FileDiff.h"
#include "check/text/FindingText.h"
#include "check/text/JsonText.h"
#include "profile/ProfileLines.h"

namespace pl = profile_lines;

namespace {

// The number at the end of a section name and the name before it
// ("Client011": "Client", 11, 3 digits); false without one.
bool SplitNumber(const std::string& name, std::string* word, long* n, size_t* digits) {
  size_t end = name.size();
  while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9') --end;
  *digits = name.size() - end;
  if (*digits == 0 || *digits > 9) return false;
  *word = pl::Lower(name.substr(0, end));
  *n = std::stol(name.substr(end));
  return true;
}

// True when d continues the run of whole sections that ends with prev.
bool Continues(const FileDifference& prev, const FileDifference& d) {
  if (!prev.key.empty() || !d.key.empty() || prev.hasA != d.hasA || prev.reason != d.reason ||
      std::strcmp(prev.reasonCode, d.reasonCode) != 0) {
    return false;
  }
  std::string w1, w2;
  long n1 = 0, n2 = 0;
  size_t l1 = 0, l2 = 0;
  return SplitNumber(prev.section, &w1, &n1, &l1) && SplitNumber(d.section, &w2, &n2, &l2) &&
         w1 == w2 && l1 == l2 && n2 == n1 + 1;
}

std::string Shown(const FileDifference& d, bool has, const std::string& value,
                  file_encoding::Mark encoding) {
  if (!has) return "-";
  return d.secret ? "(not shown)" : MessageForPeople(Quoted(value), encoding);
}

nlohmann::ordered_json Json(const FileDifference& d, bool has, const std::string& value,
                            bool utf8) {
  if (!has || (d.secret && !d.key.empty())) return nullptr;
  return Utf8Of(d.key.empty() ? d.section : value, utf8);
}

}  // namespace

std::string FileDifferencesText(const std::vector<FileDifference>& diffs, const std::string& a,
                                const std::string& b, file_encoding::Mark encodingA,
                                file_encoding::Mark encodingB) {
  std::string out;
  for (size_t i = 0; i < diffs.size();) {
    const FileDifference& d = diffs[i];
    const file_encoding::Mark names = d.hasA ? encodingA : encodingB;
    const std::string why = "  (" + (d.side == 0 ? "" : "in " + (d.side == 'a' ? a : b) + ": ") +
                            MessageForPeople(d.reason, d.reasonOf == 'a' ? encodingA : encodingB) +
                            ")\n";
    size_t next = i + 1;
    if (d.key.empty()) {
      while (next < diffs.size() && Continues(diffs[next - 1], diffs[next])) ++next;
      out += ShownName(d.section, names) +
             (next - i > 1 ? " ... " + ShownName(diffs[next - 1].section, names) : std::string()) +
             "  only in " + (d.hasA ? a : b) + why;
    } else {
      out += ShownName(d.section, names) + "  " + ShownName(d.key, names) + "  " +
             Shown(d, d.hasA, d.a, encodingA) + " -> " + Shown(d, d.hasB, d.b, encodingB) + why;
    }
    i = next;
  }
  const size_t n = diffs.size();
  return (out.empty() ? out : "\n" + out) + std::to_string(n) +
         (n == 1 ? " other difference" : " other differences") +
         " in the files (keys and sections IMPORT does not read from both)\n";
}

nlohmann::ordered_json FileDifferencesJson(const std::vector<FileDifference>& diffs, bool utf8A,
                                           bool utf8B) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const FileDifference& d : diffs) {
    const bool utf8 = d.hasA ? utf8A : utf8B;
    const std::string reason =
        (d.side == 0 ? std::string() : std::string("in ") + d.side + ": ") + MessageAsIs(d.reason);
    out.push_back({{"section", Utf8Of(d.section, utf8)},
                   {"key", d.key.empty() ? nlohmann::ordered_json()
                                         : nlohmann::ordered_json(Utf8Of(d.key, utf8))},
                   {"a", Json(d, d.hasA, d.a, utf8A)},
                   {"b", Json(d, d.hasB, d.b, utf8B)},
                   {"read", d.read},
                   {"secret", d.secret},
                   {"reason", Utf8Of(reason, utf8)},
                   {"reasonCode", d.reasonCode}});
  }
  return out;
}
