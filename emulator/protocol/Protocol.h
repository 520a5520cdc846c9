// What the stand-in client library and the controller emulator share: the
// result codes and the framing of the wire protocol.
//
// The protocol is one request, one reply, each a frame: a 4-byte big-endian
// length followed by that many bytes of UTF-8 JSON.
//   request: {"call": "GetPortProperties", "args": [3]}
//   reply:   {"code": 0, "out": {"number": 1, "name": "COM1", ...}, "message": "..."}
// "out" holds only the values the controller has; the library leaves every
// other out-value untouched. "message" says what failed, for ResultString.
// Calls whose name starts with '$' inspect the emulator and are not journaled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvo_wire {

// Result codes. The texts live in the library (ResultText.cc) and the table in
// emulator/README.md; keep the three in step.
enum Code : int32_t {
  kOk = 0,
  kUnknownHost = 1,
  kConnectionRefused = 2,
  kTimedOut = 3,
  kConnectionLost = 4,
  kNotLoggedOn = 5,
  kNotFound = 6,
  kInvalidValue = 7,
  kMissingReference = 8,
  kServerError = 9,
  kInvalidArgument = 10,
  kProtocolError = 11,
  kNetworkError = 12,
  kNoDeviceDetails = 13,
};

// Frames larger than this are refused by both sides.
constexpr uint32_t kMaxFrame = 64u * 1024u * 1024u;

// Requests and replies nest a few levels deep; a deeper frame is not read as
// JSON at all (the JSON library copies and prints values recursively, so a
// deep enough value would overflow the stack).
constexpr int kMaxNesting = 64;

// Whether the arrays and objects of a JSON text nest at most maxDepth deep.
// Brackets inside strings do not count; the text need not be valid JSON (the
// parser refuses what is not).
inline bool NestingWithin(const std::string& text, int maxDepth) {
  int depth = 0;
  bool inString = false, escaped = false;
  for (char c : text) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

inline void PutLength(uint32_t n, unsigned char out[4]) {
  out[0] = static_cast<unsigned char>(n >> 24);
  out[1] = static_cast<unsigned char>(n >> 16);
  out[2] = static_cast<unsigned char>(n >> 8);
  out[3] = static_cast<unsigned char>(n);
}

inline uint32_t GetLength(const unsigned char in[4]) {
  return (uint32_t(in[0]) << 24) | (uint32_t(in[1]) << 16) | (uint32_t(in[2]) << 8) |
         uint32_t(in[3]);
}

inline std::string Frame(const std::string& body) {
  unsigned char head[4];
  PutLength(static_cast<uint32_t>(body.size()), head);
  std::string out(reinterpret_cast<const char*>(head), 4);
  out += body;
  return out;
}

}  // namespace tarvo_wire
