// The emulator's network side: one io_context, any number of connections,
// each a sequence of framed requests answered in order.
#pragma once

#include <memory>
#include <string>

#include <asio.hpp>

#include "emulator/server/Controller.h"

namespace emu {

class Server {
 public:
  Server(asio::io_context& io, Controller& controller);

  // Binds and listens; port 0 picks a free port. On failure error says why.
  bool Listen(const std::string& address, int port, std::string& error);
  int Port() const;
  // Stops accepting and closes every connection.
  void Stop();

 private:
  void Accept();

  asio::io_context& io_;
  Controller& controller_;
  asio::ip::tcp::acceptor acceptor_;
  std::shared_ptr<bool> stopped_;
};

}  // namespace emu
