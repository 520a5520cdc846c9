#include "emulator/library/Connection.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "emulator/protocol/Protocol.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace tarvo_lib {

namespace {

// --- the socket shim: the only place that knows Winsock from POSIX ---
#if defined(_WIN32)
using Socket = SOCKET;
const Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) { closesocket(s); }
bool StartNetwork() {
  static bool started = false;
  if (!started) {
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  return started;
}
void SetBlocking(Socket s, bool blocking) {
  u_long mode = blocking ? 0 : 1;
  ioctlsocket(s, FIONBIO, &mode);
}
bool ConnectPending() {
  int e = WSAGetLastError();
  return e == WSAEWOULDBLOCK || e == WSAEINPROGRESS;
}
int SendFlags() { return 0; }
#else
using Socket = int;
const Socket kNoSocket = -1;
void CloseSocket(Socket s) { close(s); }
bool StartNetwork() { return true; }
void SetBlocking(Socket s, bool blocking) {
  int flags = fcntl(s, F_GETFL, 0);
  fcntl(s, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK));
}
bool ConnectPending() { return errno == EINPROGRESS; }
int SendFlags() {
#if defined(MSG_NOSIGNAL)
  return MSG_NOSIGNAL;  // a lost server must not kill the caller with SIGPIPE
#else
  return 0;
#endif
}
#endif

using Clock = std::chrono::steady_clock;

struct Session {
  Socket socket = kNoSocket;
  std::string where;      // "host:port" of the last logon
  int timeoutMs = 10000;
  bool lost = false;      // closed by a timeout or a lost connection
};

Session g_session;
int32_t g_lastCode = 0;
std::string g_lastDetail;

void Close() {
  if (g_session.socket != kNoSocket) CloseSocket(g_session.socket);
  g_session.socket = kNoSocket;
}

int32_t Fail(int32_t code, const std::string& detail) {
  NoteFailure(code, detail);
  return code;
}

// Waits until the socket is readable (or writable), at most until the
// deadline. Returns 1 ready, 0 timed out, -1 error.
int WaitFor(Socket s, bool forWrite, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() < 0) return 0;
#if defined(_WIN32)
    fd_set set, errors;
    FD_ZERO(&set);
    FD_ZERO(&errors);
    FD_SET(s, &set);
    FD_SET(s, &errors);  // a failed connect shows here on Windows
    timeval tv;
    tv.tv_sec = static_cast<long>(left.count() / 1000);
    tv.tv_usec = static_cast<long>((left.count() % 1000) * 1000);
    int n = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errors, &tv);
#else
    pollfd fd = {s, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    int n = poll(&fd, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
#endif
    if (n < 0) return -1;
    if (n == 0) return 0;
    return 1;
  }
}

bool SendAll(Socket s, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), SendFlags());
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// Reads exactly count bytes before the deadline. 1 done, 0 timed out, -1 lost.
int RecvAll(Socket s, char* into, size_t count, Clock::time_point deadline) {
  size_t got = 0;
  while (got < count) {
    int ready = WaitFor(s, false, deadline);
    if (ready <= 0) return ready;
    int n = recv(s, into + got, static_cast<int>(count - got), 0);
    if (n <= 0) return -1;
    got += static_cast<size_t>(n);
  }
  return 1;
}

// One framed exchange on the open session; closes it on a transport failure.
Reply Exchange(const nlohmann::json& request) {
  Reply reply;
  const std::string& where = g_session.where;
  if (!SendAll(g_session.socket, tarvo_wire::Frame(request.dump()))) {
    Close();
    g_session.lost = true;
    reply.code = Fail(tarvo_wire::kConnectionLost, where);
    return reply;
  }
  auto deadline = Clock::now() + std::chrono::milliseconds(g_session.timeoutMs);
  unsigned char head[4];
  int r = RecvAll(g_session.socket, reinterpret_cast<char*>(head), 4, deadline);
  std::string body;
  if (r == 1) {
    uint32_t size = tarvo_wire::GetLength(head);
    if (size > tarvo_wire::kMaxFrame) {
      r = -2;
    } else {
      body.resize(size);
      r = size == 0 ? 1 : RecvAll(g_session.socket, &body[0], size, deadline);
    }
  }
  if (r != 1) {
    Close();
    g_session.lost = true;
    if (r == 0) {
      reply.code = Fail(tarvo_wire::kTimedOut, where + ", no reply within " +
                                                   std::to_string(g_session.timeoutMs) + " ms");
    } else if (r == -2) {
      reply.code = Fail(tarvo_wire::kProtocolError, where + ", oversized reply");
    } else {
      reply.code = Fail(tarvo_wire::kConnectionLost, where);
    }
    return reply;
  }
  nlohmann::json parsed;  // stays null, unreadable, when nested too deeply
  if (tarvo_wire::NestingWithin(body, tarvo_wire::kMaxNesting)) {
    parsed = nlohmann::json::parse(body, nullptr, false);
  }
  if (!parsed.is_object() || !parsed.contains("code") || !parsed["code"].is_number_integer()) {
    reply.code = Fail(tarvo_wire::kProtocolError, where + ", unreadable reply");
    return reply;
  }
  reply.code = parsed["code"].get<int32_t>();
  if (parsed.contains("out") && parsed["out"].is_object()) reply.out = parsed["out"];
  if (reply.code != 0) {
    std::string message;
    if (parsed.contains("message") && parsed["message"].is_string()) {
      message = parsed["message"].get<std::string>();
    }
    NoteFailure(reply.code, message);
  }
  return reply;
}

// A host name as RFC 1123 allows it (letters, digits, hyphens, dots), or a
// dotted address. Names under ".invalid" never resolve (RFC 6761), so they are
// answered here without asking a name server.
bool PlausibleHost(const std::string& host) {
  if (host.empty() || host.size() > 253) return false;
  for (char c : host) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '.';
    if (!ok) return false;
  }
  std::string lower;
  for (char c : host) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  const std::string tld = ".invalid";
  if (lower == "invalid" ||
      (lower.size() > tld.size() && lower.compare(lower.size() - tld.size(), tld.size(), tld) == 0))
    return false;
  return true;
}

bool SameText(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (c != b[i]) return false;
  }
  return true;
}

}  // namespace

void NoteFailure(int32_t code, const std::string& detail) {
  g_lastCode = code;
  g_lastDetail = detail;
}

std::string FailureDetail(int32_t code) { return code == g_lastCode ? g_lastDetail : std::string(); }

int32_t Logon(const std::string& host, int port, int timeoutMs, const nlohmann::json& logonArgs) {
  Close();
  g_session = Session();
  g_session.where = host + ":" + std::to_string(port);
  g_session.timeoutMs = timeoutMs;
  const std::string where = g_session.where;

  if (!StartNetwork()) return Fail(tarvo_wire::kNetworkError, "sockets unavailable");
  if (!PlausibleHost(host)) return Fail(tarvo_wire::kUnknownHost, "\"" + host + "\"");

  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  // Offline (the test suites set it): only addresses and "localhost", so that
  // no name server is ever asked.
  const char* offline = std::getenv("TARVO_CLIENT_OFFLINE");
  if (offline != nullptr && *offline != '\0' && !SameText(host, "localhost")) {
    hints.ai_flags |= AI_NUMERICHOST;
  }
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return Fail(tarvo_wire::kUnknownHost, "\"" + host + "\"");
  }
  sockaddr_in address;
  std::memcpy(&address, found->ai_addr, sizeof address);
  freeaddrinfo(found);
  address.sin_port = htons(static_cast<uint16_t>(port));

  Socket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == kNoSocket) return Fail(tarvo_wire::kNetworkError, "no socket for " + where);
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  SetBlocking(s, false);
  int rc = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  if (rc != 0) {
    if (!ConnectPending()) {
      CloseSocket(s);
      return Fail(tarvo_wire::kConnectionRefused, where);
    }
    int ready = WaitFor(s, true, deadline);
    int err = 0;
    socklen_t len = sizeof err;
    if (ready == 1) getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
    if (ready == 0) {
      CloseSocket(s);
      return Fail(tarvo_wire::kTimedOut,
                  where + ", no connection within " + std::to_string(timeoutMs) + " ms");
    }
    if (ready < 0 || err != 0) {
      CloseSocket(s);
      // Refused, or unreachable: either way nothing answers there.
      return Fail(tarvo_wire::kConnectionRefused, where);
    }
  }
  SetBlocking(s, true);
  int one = 1;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  g_session.socket = s;

  Reply reply = Exchange({{"call", "ClientLogonEx"}, {"args", logonArgs}});
  if (reply.code != 0) {
    Close();
    g_session.lost = false;  // a refused logon leaves the library logged off
  }
  return reply.code;
}

Reply Call(const char* name, nlohmann::json args) {
  if (g_session.socket == kNoSocket) {
    Reply reply;
    if (g_session.lost) {
      reply.code = Fail(tarvo_wire::kConnectionLost, g_session.where);
    } else {
      reply.code = Fail(tarvo_wire::kNotLoggedOn, name);
    }
    return reply;
  }
  return Exchange({{"call", name}, {"args", std::move(args)}});
}

}  // namespace tarvo_lib
