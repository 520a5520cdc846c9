// tarvo-emulator: a forecourt controller's server, with its configuration in
// an SQLite file, for the stand-in client library to talk to.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include <asio.hpp>

#include "emulator/server/Controller.h"
#include "emulator/server/Fixture.h"
#include "emulator/server/Server.h"
#include "emulator/server/Store.h"

namespace {

const char kUsage[] =
    "usage: tarvo-emulator --db FILE [--seed FIXTURE.json] [--listen ADDR] [--port N]\n"
    "       tarvo-emulator --db FILE --dump-state | --dump-journal\n"
    "  --db FILE         the controller's database (created when missing)\n"
    "  --seed FILE       replace the database's content by this fixture first\n"
    "  --listen ADDR     address to listen on (default 127.0.0.1)\n"
    "  --port N          port to listen on (default 5123; 0 picks a free one)\n"
    "  --dump-state      print the database's state as a fixture and exit\n"
    "  --dump-journal    print the journal of calls received and exit\n";

int Refuse(const std::string& message) {
  std::fprintf(stderr, "tarvo-emulator: %s\n%s", message.c_str(), kUsage);
  return 2;
}

bool ParsePort(const std::string& text, int& port) {
  if (text.empty() || text.size() > 5) return false;
  port = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    port = port * 10 + (c - '0');
  }
  return port <= 65535;
}

}  // namespace

int main(int argc, char** argv) {
  std::string db, seed, listen = "127.0.0.1";
  int port = 5123;
  bool dumpState = false, dumpJournal = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    std::string portText;
    if (arg == "--db") {
      if (!value(db)) return Refuse("--db needs a file");
    } else if (arg == "--seed") {
      if (!value(seed)) return Refuse("--seed needs a file");
    } else if (arg == "--listen") {
      if (!value(listen)) return Refuse("--listen needs an address");
    } else if (arg == "--port") {
      if (!value(portText) || !ParsePort(portText, port)) return Refuse("--port needs a number 0 to 65535");
    } else if (arg == "--dump-state") {
      dumpState = true;
    } else if (arg == "--dump-journal") {
      dumpJournal = true;
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      return Refuse("unknown argument " + arg);
    }
  }
  if (db.empty()) return Refuse("--db is required");

  emu::Store store;
  std::string error;
  if (!store.Open(db, error)) return Refuse("cannot open " + db + ": " + error);
  if (!seed.empty()) {
    std::ifstream in(seed, std::ios::binary);
    if (!in) return Refuse("cannot read " + seed);
    std::stringstream text;
    text << in.rdbuf();
    nlohmann::json fixture = nlohmann::json::parse(text.str(), nullptr, false);
    if (fixture.is_discarded()) return Refuse(seed + ": not valid JSON");
    if (!emu::LoadFixture(fixture, store, error)) return Refuse(seed + ": " + error);
  }
  if (dumpState || dumpJournal) {
    std::cout << (dumpState ? emu::DumpFixture(store) : store.Journal()).dump(2) << "\n";
    return 0;
  }

  std::signal(SIGPIPE, SIG_IGN);
  asio::io_context io;
  emu::Controller controller(store);
  emu::Server server(io, controller);
  if (!server.Listen(listen, port, error)) return Refuse(error);
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](std::error_code, int) { server.Stop(); });
  // Tests read this line to learn the port.
  std::printf("tarvo-emulator: accepting connections on %s:%d\n", listen.c_str(), server.Port());
  std::fflush(stdout);
  io.run();
  return 0;
}
