#include "check/rules/ListedTexts.h"

void DropTexts(Finding* f) {
  std::string().swap(f->message);
  std::string().swap(f->field);
  std::string().swap(f->value);
  std::string().swap(f->reads);
  f->hasValue = false;
}

void ListedTexts::File(Findings* findings, size_t index) {
  Finding& f = (*findings)[index];
  auto& kept = kept_[Kind(f.code, f.level, f.partOf != nullptr)];
  // Findings are sorted by line, stably: (line, index) is their final order.
  const std::pair<int, size_t> at(f.line, index);
  if (kept.size() < kListedPerCode) {
    kept.push(at);
    return;
  }
  if (at < kept.top()) {
    DropTexts(&(*findings)[kept.top().second]);
    kept.pop();
    kept.push(at);
    return;
  }
  DropTexts(&f);
}
