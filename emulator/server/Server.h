// The emulator's network side: one io_context, any number of connections,
// each a sequence of framed requests answered in order.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include <asio.hpp>

#include "emulator/server/Controller.h"

namespace emu {

class Server {
 public:
  // A connection that has not sent a whole request, or taken a whole reply,
  // within idleTimeout is closed; zero keeps connections however long.
  Server(asio::io_context& io, Controller& controller, std::chrono::seconds idleTimeout);

  // Binds and listens; port 0 picks a free port. On failure error says why.
  bool Listen(const std::string& address, int port, std::string& error);
  int Port() const;
  // Stops accepting and closes every connection.
  void Stop();

 private:
  void Accept();

  asio::io_context& io_;
  Controller& controller_;
  std::chrono::seconds idleTimeout_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retry_;  // the pause before accepting again, out of descriptors
  std::shared_ptr<bool> stopped_;
};

}  // namespace emu
