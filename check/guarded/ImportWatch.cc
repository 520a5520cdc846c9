#include "check/guarded/ImportWatch.h"

#include <cstring>
#include <type_traits>

#include "check/records/Records.h"
#include "check/text/ShownText.h"
#include "client/CheckResult.h"
#include "platform/Interrupts.h"
#include "profile/RecordSchema.h"

namespace {

template <typename T>
int64_t AsId(T value) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<int64_t>(value);
  } else {
    return 0;
  }
}

// The first three arguments that are numbers (0 for others): a Set call's
// identifier, number and, for a hose, its pump.
struct FirstIds {
  int64_t ids[3] = {};
  template <typename... Args>
  explicit FirstIds(Args... args) {
    size_t i = 0;
    ((i < 3 ? (ids[i++] = AsId(args), 0) : 0), ...);
  }
};

bool Begins(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The section a Set call writes: its table from the call's name.
std::string RecordOf(const char* call, const int64_t (&ids)[3]) {
  struct Named {
    const char* prefix;
    Table table;
  };
  static const Named kCalls[] = {{"SetPort", Table::kPort},
                                 {"SetGrade", Table::kGrade},
                                 {"SetTank", Table::kTank},
                                 {"SetZigBee", Table::kZigBee},
                                 {"SetPump", Table::kPump},
                                 {"SetAttendant", Table::kAttendant},
                                 {"SetCardClient", Table::kCardClient}};
  const auto id = static_cast<int32_t>(ids[0]);
  if (Begins(call, "SetHose")) {
    Record hose;
    hose.table = Table::kHose;
    hose.id = id;
    hose.hose = static_cast<int32_t>(ids[1]);
    hose.pumpId = static_cast<int32_t>(ids[2]);
    return hose.Name();
  }
  for (const Named& n : kCalls) {
    if (Begins(call, n.prefix)) return SectionName(n.table, id);
  }
  return std::string();
}

}  // namespace

void ImportWatch::BeforeCall(const char* call) const {
  if ((Begins(call, "Get") || Begins(call, "Set")) && platform::Interrupted()) {
    throw ImportInterrupted{};
  }
}

void ImportWatch::AfterCall(const char* call, int32_t result, const int64_t (&ids)[3]) {
  if (!Begins(call, "Set")) return;
  // A later write that succeeds means the import went on past the refusal.
  if (result == 0) {
    refused_ = StopCall{};
    return;
  }
  refused_.call = call;
  refused_.record = RecordOf(call, ids);
  refused_.reason = LibraryTextUtf8(ResultText(Target(), result));
  refused_.code = result;
}

#define TARVO_WATCH_DEFINE(result, name, parameters, arguments) \
  result ImportWatch::name parameters {                         \
    BeforeCall(#name);                                          \
    const result r = Target().name arguments;                   \
    AfterCall(#name, r, FirstIds arguments.ids);                \
    return r;                                                   \
  }
TARVO_CLIENT_FUNCTIONS(TARVO_WATCH_DEFINE)
#undef TARVO_WATCH_DEFINE
