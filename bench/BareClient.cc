// tarvo-bare-client: the library calls of a run and nothing else.
//
//   tarvo-bare-client JOURNAL.json
//
// Replays an emulator journal (the calls a TarvoExtract run made, with their
// in-arguments) through the client library, in order, and discards every
// result. Arguments are turned into library values before the clock starts,
// so the time printed ("calls N seconds S cpu C", C this process's user and
// system time) is that of the round trips alone: the floor a whole run cannot
// go below. Exit code 0, or 1 when the journal
// cannot be read or holds a call this client does not know.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "client/TarvoClient.h"

namespace {

using nlohmann::json;

// An in-string owned for the whole replay.
struct Str {
  explicit Str(const std::string& utf8) {
    std::u16string units;
    for (size_t i = 0; i < utf8.size();) {
      unsigned char c = static_cast<unsigned char>(utf8[i]);
      int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
      uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
      for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
      }
      i += static_cast<size_t>(extra) + 1;
      if (cp >= 0x10000) {
        cp -= 0x10000;
        units += static_cast<char16_t>(0xD800 + (cp >> 10));
        units += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      } else {
        units += static_cast<char16_t>(cp);
      }
    }
    s = SysAllocStringLen(units.data(), static_cast<uint32_t>(units.size()));
  }
  ~Str() { SysFreeString(s); }
  Str(const Str&) = delete;
  Str& operator=(const Str&) = delete;
  BSTR s;
};

// Out-values of any call, thrown away.
struct Sink {
  int32_t i32[24] = {};
  int16_t i16[24] = {};
  int64_t i64[4] = {};
  double f64[16] = {};
  BSTR s[8] = {};
  void Free() {
    for (BSTR& b : s) {
      if (b != nullptr) SysFreeString(b);
      b = nullptr;
    }
  }
};

using Replay = std::function<int32_t(Sink&)>;

// User and system time of this process so far.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class Builder {
 public:
  explicit Builder(const json& args) : args_(args) {}
  int32_t I(size_t k) const { return static_cast<int32_t>(args_.at(k).get<int64_t>()); }
  int16_t H(size_t k) const { return static_cast<int16_t>(args_.at(k).get<int64_t>()); }
  double D(size_t k) const { return args_.at(k).get<double>(); }
  BSTR S(size_t k, std::vector<std::unique_ptr<Str>>& keep) const {
    keep.push_back(std::make_unique<Str>(args_.at(k).get<std::string>()));
    return keep.back()->s;
  }

 private:
  const json& args_;
};

bool Build(const std::string& call, const json& args, std::vector<std::unique_ptr<Str>>& keep,
           Replay& out) {
  Builder a(args);
  if (call == "ClientLogonEx") {
    int32_t a1 = a.I(0), a2 = a.I(1), port = a.I(3), events = a.I(4), timeout = a.I(5),
            a7 = a.I(6), a8 = a.I(7), a9 = a.I(8);
    BSTR server = a.S(2, keep);
    out = [=](Sink&) { return ClientLogonEx(a1, a2, server, port, events, timeout, a7, a8, a9); };
  } else if (call == "DllVersion") {
    out = [](Sink& k) { return DllVersion(&k.s[0]); };
  } else if (call == "ServerVersion") {
    out = [](Sink& k) { return ServerVersion(&k.s[0]); };
  } else if (call == "GetPortsCount") {
    out = [](Sink& k) { return GetPortsCount(&k.i32[0]); };
  } else if (call == "GetGradesCount") {
    out = [](Sink& k) { return GetGradesCount(&k.i32[0]); };
  } else if (call == "GetTanksCount") {
    out = [](Sink& k) { return GetTanksCount(&k.i32[0]); };
  } else if (call == "GetZigBeeCount") {
    out = [](Sink& k) { return GetZigBeeCount(&k.i32[0]); };
  } else if (call == "GetPumpsCount") {
    out = [](Sink& k) { return GetPumpsCount(&k.i32[0]); };
  } else if (call == "GetAttendantsCount") {
    out = [](Sink& k) { return GetAttendantsCount(&k.i32[0]); };
  } else if (call == "GetCardClientsCount") {
    out = [](Sink& k) { return GetCardClientsCount(&k.i32[0]); };
  } else if (call == "GetPortByOrdinal") {
    int32_t n = a.I(0);
    out = [=](Sink& k) { return GetPortByOrdinal(n, &k.i32[0]); };
  } else if (call == "GetGradeByOrdinal") {
    int32_t n = a.I(0);
    out = [=](Sink& k) { return GetGradeByOrdinal(n, &k.i32[0]); };
  } else if (call == "GetTankByOrdinal") {
    int32_t n = a.I(0);
    out = [=](Sink& k) { return GetTankByOrdinal(n, &k.i32[0]); };
  } else if (call == "GetZigBeeByOrdinal") {
    int32_t n = a.I(0);
    out = [=](Sink& k) { return GetZigBeeByOrdinal(n, &k.i32[0]); };
  } else if (call == "GetPumpByOrdinal") {
    int32_t n = a.I(0);
    out = [=](Sink& k) { return GetPumpByOrdinal(n, &k.i32[0]); };
  } else if (call == "GetAttendantByOrdinal") {
    int32_t n = a.I(0);
    out = [=](Sink& k) { return GetAttendantByOrdinal(n, &k.i32[0]); };
  } else if (call == "GetCardClientByOrdinal") {
    int32_t n = a.I(0);
    out = [=](Sink& k) { return GetCardClientByOrdinal(n, &k.i32[0]); };
  } else if (call == "GetPortProperties") {
    int32_t id = a.I(0);
    out = [=](Sink& k) {
      return GetPortProperties(id, &k.i32[0], &k.s[0], &k.i32[1], &k.i16[0], &k.s[1]);
    };
  } else if (call == "GetZB2GConfig") {
    int32_t id = a.I(0);
    out = [=](Sink& k) { return GetZB2GConfig(id, &k.i64[0], &k.i32[0], &k.i64[1], &k.i64[2]); };
  } else if (call == "GetDeviceDetails") {
    int32_t port = a.I(0), zigBee = a.I(1);
    out = [=](Sink& k) { return GetDeviceDetails(port, zigBee, &k.s[0], &k.s[1], &k.s[2]); };
  } else if (call == "GetGradeProperties") {
    int32_t id = a.I(0);
    out = [=](Sink& k) { return GetGradeProperties(id, &k.i32[0], &k.s[0], &k.s[1], &k.s[2]); };
  } else if (call == "GetGradePrice") {
    int32_t id = a.I(0);
    int16_t level = a.H(1);
    out = [=](Sink& k) { return GetGradePrice(id, level, &k.f64[0]); };
  } else if (call == "GetTankProperties") {
    int32_t id = a.I(0);
    out = [=](Sink& k) {
      double* m = k.f64;
      return GetTankProperties(id, &k.i32[0], &k.s[0], &k.i32[1], &k.i16[0], &m[0], &m[1], &m[2],
                               &m[3], &m[4], &m[5], &m[6], &m[7], &m[8], &m[9], &k.i32[2],
                               &k.i16[1]);
    };
  } else if (call == "GetZigBeeProperties") {
    int32_t id = a.I(0);
    out = [=](Sink& k) {
      return GetZigBeeProperties(id, &k.i32[0], &k.s[0], &k.i16[0], &k.s[1], &k.s[2], &k.i32[1]);
    };
  } else if (call == "GetPumpPropertiesEx") {
    int32_t id = a.I(0);
    out = [=](Sink& k) {
      int16_t* h = k.i16;
      return GetPumpPropertiesEx(id, &k.i32[0], &k.s[0], &h[0], &h[1], &h[2], &h[3], &h[4], &h[5],
                                 &h[6], &h[7], &h[8], &k.i32[1], &k.i32[2], &h[9], &h[10], &h[11],
                                 &h[12], &k.i32[3], &k.i32[4], &h[13], &h[14]);
    };
  } else if (call == "GetPumpHosesCount") {
    int32_t id = a.I(0);
    out = [=](Sink& k) { return GetPumpHosesCount(id, &k.i32[0]); };
  } else if (call == "GetPumpHoseByNumber") {
    int32_t id = a.I(0), n = a.I(1);
    out = [=](Sink& k) { return GetPumpHoseByNumber(id, n, &k.i32[0]); };
  } else if (call == "GetHosePropertiesEx2") {
    int32_t id = a.I(0);
    out = [=](Sink& k) {
      double* m = k.f64;
      return GetHosePropertiesEx2(id, &k.i32[0], &k.i32[1], &k.i32[2], &k.i32[3], &m[0], &m[1],
                                  &m[2], &m[3], &k.i16[0], &m[4], &m[5], &k.i16[1]);
    };
  } else if (call == "GetAttendantPropertiesEx") {
    int32_t id = a.I(0);
    out = [=](Sink& k) {
      int16_t* h = k.i16;
      return GetAttendantPropertiesEx(id, &k.i32[0], &k.s[0], &k.s[1], &k.s[2], &k.s[3], &h[0],
                                      &h[1], &h[2], &h[3], &h[4]);
    };
  } else if (call == "GetCardClientProperties") {
    int32_t id = a.I(0);
    out = [=](Sink& k) { return GetCardClientProperties(id, &k.i32[0], &k.s[0], &k.s[1], &k.i16[0]); };
  } else if (call == "SetPortProperties") {
    int32_t id = a.I(0), n = a.I(1), protocol = a.I(3);
    int16_t type = a.H(4);
    BSTR name = a.S(2, keep), serial = a.S(5, keep);
    out = [=](Sink&) { return SetPortProperties(id, n, name, protocol, type, serial); };
  } else if (call == "SetGradeProperties") {
    int32_t id = a.I(0), n = a.I(1);
    BSTR name = a.S(2, keep), shortName = a.S(3, keep), code = a.S(4, keep);
    out = [=](Sink&) { return SetGradeProperties(id, n, name, shortName, code); };
  } else if (call == "SetGradePrice") {
    int32_t id = a.I(0);
    int16_t level = a.H(1);
    double price = a.D(2);
    out = [=](Sink&) { return SetGradePrice(id, level, price); };
  } else if (call == "SetTankProperties") {
    int32_t id = a.I(0), n = a.I(1), grade = a.I(3), gauge = a.I(15);
    int16_t type = a.H(4), probe = a.H(16);
    double d[10];
    for (size_t i = 0; i < 10; ++i) d[i] = a.D(5 + i);
    BSTR name = a.S(2, keep);
    out = [=](Sink&) {
      return SetTankProperties(id, n, name, grade, type, d[0], d[1], d[2], d[3], d[4], d[5], d[6],
                               d[7], d[8], d[9], gauge, probe);
    };
  } else if (call == "SetZigBeeProperties") {
    int32_t id = a.I(0), n = a.I(1), port = a.I(6);
    int16_t type = a.H(3);
    BSTR name = a.S(2, keep), serial = a.S(4, keep), node = a.S(5, keep);
    out = [=](Sink&) { return SetZigBeeProperties(id, n, name, type, serial, node, port); };
  } else if (call == "SetPumpPropertiesEx") {
    int32_t id = a.I(0), n = a.I(1), port = a.I(12), attendant = a.I(13), slot = a.I(18),
            mux = a.I(19);
    // The 16-bit arguments, in order.
    const size_t shortAt[15] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 15, 16, 17, 20, 21};
    int16_t h[15];
    for (size_t i = 0; i < 15; ++i) h[i] = a.H(shortAt[i]);
    BSTR name = a.S(2, keep);
    out = [=](Sink&) {
      return SetPumpPropertiesEx(id, n, name, h[0], h[1], h[2], h[3], h[4], h[5], h[6], h[7], h[8],
                                 port, attendant, h[9], h[10], h[11], h[12], slot, mux, h[13],
                                 h[14]);
    };
  } else if (call == "SetHosePropertiesEx2") {
    int32_t id = a.I(0), n = a.I(1), pump = a.I(2), tank = a.I(3), physical = a.I(4);
    double m0 = a.D(5), m1 = a.D(6), m2 = a.D(7), m3 = a.D(8), p1 = a.D(10), p2 = a.D(11);
    int16_t reader = a.H(9), enabled = a.H(12);
    out = [=](Sink&) {
      return SetHosePropertiesEx2(id, n, pump, tank, physical, m0, m1, m2, m3, reader, p1, p2,
                                  enabled);
    };
  } else if (call == "SetAttendantPropertiesEx") {
    int32_t id = a.I(0), n = a.I(1);
    int16_t h[5];
    for (size_t i = 0; i < 5; ++i) h[i] = a.H(6 + i);
    BSTR name = a.S(2, keep), shortName = a.S(3, keep), password = a.S(4, keep), tag = a.S(5, keep);
    out = [=](Sink&) {
      return SetAttendantPropertiesEx(id, n, name, shortName, password, tag, h[0], h[1], h[2],
                                      h[3], h[4]);
    };
  } else if (call == "SetCardClientProperties") {
    int32_t id = a.I(0), n = a.I(1);
    int16_t enabled = a.H(4);
    BSTR name = a.S(2, keep), tag = a.S(3, keep);
    out = [=](Sink&) { return SetCardClientProperties(id, n, name, tag, enabled); };
  } else {
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tarvo-bare-client JOURNAL.json\n");
    return 1;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  json journal = json::parse(text.str(), nullptr, false);
  if (!journal.is_array()) {
    std::fprintf(stderr, "tarvo-bare-client: %s is not a journal\n", argv[1]);
    return 1;
  }
  std::vector<std::unique_ptr<Str>> keep;
  std::vector<Replay> calls;
  for (const json& entry : journal) {
    Replay replay;
    std::string call = entry.value("call", "");
    if (!Build(call, entry.value("args", json::array()), keep, replay)) {
      std::fprintf(stderr, "tarvo-bare-client: unknown call %s\n", call.c_str());
      return 1;
    }
    calls.push_back(std::move(replay));
  }
  journal = nullptr;

  Sink sink;
  double cpuBefore = CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  for (Replay& call : calls) {
    call(sink);
    sink.Free();
  }
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("calls %zu seconds %.6f cpu %.6f\n", calls.size(), took.count(),
              CpuSeconds() - cpuBefore);
  return 0;
}
