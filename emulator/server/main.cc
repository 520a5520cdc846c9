// tarvo-emulator: a forecourt controller's server, with its configuration in
// an SQLite file, for the stand-in client library to talk to.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include <asio.hpp>

#include "emulator/protocol/Protocol.h"
#include "emulator/server/Controller.h"
#include "emulator/server/Fixture.h"
#include "emulator/server/Server.h"
#include "emulator/server/Store.h"
#include "platform/Platform.h"

namespace {

const char kUsage[] =
    "usage: tarvo-emulator --db FILE [--seed FIXTURE.json] [--listen ADDR] [--port N]\n"
    "                      [--idle-timeout S]\n"
    "       tarvo-emulator --db FILE --dump-state | --dump-journal\n"
    "  --db FILE         the controller's database (created when missing)\n"
    "  --seed FILE       replace the database's content by this fixture first\n"
    "  --listen ADDR     address to listen on (default 127.0.0.1)\n"
    "  --port N          port to listen on (default 5123; 0 picks a free one)\n"
    "  --idle-timeout S  close a connection idle for S seconds (default 300; 0 never)\n"
    "  --dump-state      print the database's state as a fixture and exit\n"
    "  --dump-journal    print the journal of calls received and exit\n";

int Refuse(const std::string& message) {
  std::fprintf(stderr, "tarvo-emulator: %s\n%s", message.c_str(), kUsage);
  return 2;
}

// A decimal number from 0 to max, in no more digits than max has.
bool ParseNumber(const std::string& text, int max, int& number) {
  if (text.empty() || text.size() > std::to_string(max).size()) return false;
  number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  return number <= max;
}

}  // namespace

int main(int argc, char** argv) {
  platform::SecureStandardDescriptors();
  std::string db, seed, listen = "127.0.0.1";
  int port = 5123;
  int idleSeconds = 300;
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
      if (!value(portText) || !ParseNumber(portText, 65535, port)) return Refuse("--port needs a number 0 to 65535");
    } else if (arg == "--idle-timeout") {
      std::string seconds;
      if (!value(seconds) || !ParseNumber(seconds, 86400, idleSeconds))
        return Refuse("--idle-timeout needs a number of seconds 0 to 86400");
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
    if (!tarvo_wire::NestingWithin(text.str(), tarvo_wire::kMaxNesting))
      return Refuse(seed + ": nested too deeply");
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
  emu::Server server(io, controller, std::chrono::seconds(idleSeconds));
  std::error_code ec;
  asio::ip::address address = asio::ip::make_address(listen, ec);
  if (!ec && !address.is_loopback()) {
    // $state hands out the whole configuration, attendants' passwords included.
    std::fprintf(stderr,
                 "tarvo-emulator: warning: %s is not a loopback address: anyone who can reach it "
                 "can read and change the whole configuration, attendants' passwords included\n",
                 listen.c_str());
  }
  if (!server.Listen(listen, port, error)) return Refuse(error);
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](std::error_code, int) { server.Stop(); });
  // Tests read this line to learn the port.
  std::printf("tarvo-emulator: accepting connections on %s:%d\n", listen.c_str(), server.Port());
  std::fflush(stdout);
  io.run();
  return 0;
}
