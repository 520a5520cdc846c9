#include "check/guarded/ReplayLibrary.h"

#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

namespace {

using Answer = ReplayLibrary::Answer;
using Out = ReplayLibrary::Out;

// An out-value: a pointer to a number, an amount or a library string. (A
// library string given to a call, a pointer to characters, is none.)
template <typename T>
constexpr bool kIsOut =
    std::is_pointer_v<T> &&
    (std::is_arithmetic_v<std::remove_pointer_t<T>> ||
     std::is_same_v<T, BSTR*>)&&!std::is_same_v<std::remove_pointer_t<T>, OLECHAR>;

// An in-argument's bytes, into the key.
template <typename T>
void AddIn(std::string* key, T value) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  key->append(bytes, sizeof(T));
}

// What the caller had put into an out-value, to tell afterwards whether the
// library wrote it (a library string it writes is a new one).
template <typename T>
auto Prior(T value) {
  if constexpr (kIsOut<T>) {
    return *value;
  } else {
    return 0;
  }
}

// A number is taken as the caller sees it after the call (the library's
// value, or the caller's own where the library left it): which of the two
// cannot be told without changing what the caller gave. A library string the
// library wrote is a new one: the caller's own one is left to the caller.
template <typename T>
Out Taken(T* out, T prior) {
  Out o;
  o.written = true;
  if constexpr (std::is_same_v<T, BSTR>) {
    o.written = *out != prior;
    o.null = *out == nullptr;
    if (!o.null) o.units.assign(*out, SysStringLen(*out));
  } else if constexpr (std::is_floating_point_v<T>) {
    o.amount = *out;
  } else {
    o.number = static_cast<int64_t>(*out);
  }
  return o;
}

template <typename T>
void Given(T* out, const Out& o) {
  if (!o.written) return;
  if constexpr (std::is_same_v<T, BSTR>) {
    // A new string, which the caller frees as it frees the library's.
    *out =
        o.null ? nullptr : SysAllocStringLen(o.units.data(), static_cast<uint32_t>(o.units.size()));
  } else if constexpr (std::is_floating_point_v<T>) {
    *out = o.amount;
  } else {
    *out = static_cast<T>(o.number);
  }
}

}  // namespace

ReplayLibrary::Width ReplayLibrary::TextWidth() const {
  Width width = Width::kOneByte;
  for (const auto& kept : answers_) {
    for (const Out& out : kept.second.outs) {
      const std::basic_string<OLECHAR>& u = out.units;
      for (size_t i = 0; i < u.size(); ++i) {
        const uint32_t unit = static_cast<uint16_t>(u[i]);
        if (unit <= 0xFF) continue;
        width = Width::kUnicode;
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool lowNext = i + 1 < u.size() && static_cast<uint16_t>(u[i + 1]) >= 0xDC00 &&
                             static_cast<uint16_t>(u[i + 1]) <= 0xDFFF;
        if (high && lowNext) {
          ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
          return Width::kLoneSurrogate;
        }
      }
    }
  }
  return width;
}

const Answer* ReplayLibrary::Find(const std::string& key) {
  auto it = answers_.find(key);
  return it == answers_.end() ? nullptr : &it->second;
}

// A Get call: its in-arguments (numbers) and name make the key, its pointers
// are out-values.
template <typename... Args>
int32_t ReplayLibrary::Through(const char* name, int32_t (ClientLibrary::*call)(Args...),
                               Args... args) {
  if (mode_ == Mode::kForward) return (Target().*call)(args...);
  std::string key = name;
  auto addIn = [&key](auto arg) {
    if constexpr (std::is_arithmetic_v<decltype(arg)>) AddIn(&key, arg);
  };
  (addIn(args), ...);
  if (mode_ == Mode::kReplay) {
    const Answer* kept = Find(key);
    if (kept == nullptr) return (Target().*call)(args...);
    size_t i = 0;
    auto give = [&](auto arg) {
      if constexpr (kIsOut<decltype(arg)>) Given(arg, kept->outs[i++]);
    };
    (give(args), ...);
    ++replayed_;
    return kept->result;
  }
  const auto priors = std::make_tuple(Prior(args)...);
  Answer answer;
  answer.result = (Target().*call)(args...);
  std::apply(
      [&](auto... prior) {
        auto take = [&](auto arg, auto was) {
          if constexpr (kIsOut<decltype(arg)>) answer.outs.push_back(Taken(arg, was));
        };
        (take(args, prior), ...);
      },
      priors);
  const int32_t result = answer.result;
  Keep(key, std::move(answer));
  return result;
}

// One call of the library through the replay: the Get calls (names that
// begin with "Get") through Through, every other call to the target.
template <typename Result, typename... Args>
class Route {
 public:
  Route(ReplayLibrary& library, const char* name, Result (ClientLibrary::*call)(Args...))
      : library_(library), name_(name), call_(call) {}

  Result operator()(Args... args) const {
    if constexpr (std::is_same_v<Result, int32_t>) {
      if (std::strncmp(name_, "Get", 3) == 0) return library_.Through(name_, call_, args...);
    }
    return (library_.Target().*call_)(args...);
  }

 private:
  ReplayLibrary& library_;
  const char* name_;
  Result (ClientLibrary::*call_)(Args...);
};

#define TARVO_REPLAY_DEFINE(result, name, parameters, arguments) \
  result ReplayLibrary::name parameters {                        \
    return Route(*this, #name, &ClientLibrary::name) arguments;  \
  }
TARVO_CLIENT_FUNCTIONS(TARVO_REPLAY_DEFINE)
#undef TARVO_REPLAY_DEFINE
