#include "emulator/server/Server.h"

#include <chrono>

#include "emulator/protocol/Protocol.h"

namespace emu {

using asio::ip::tcp;
using nlohmann::json;

namespace {

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(tcp::socket socket, Controller& controller, std::shared_ptr<bool> stopped)
      : socket_(std::move(socket)),
        timer_(socket_.get_executor()),
        controller_(controller),
        stopped_(std::move(stopped)) {}

  void Start() { ReadHead(); }

 private:
  void ReadHead() {
    auto self = shared_from_this();
    asio::async_read(socket_, asio::buffer(head_), [self](std::error_code ec, size_t) {
      if (ec || *self->stopped_) return;
      uint32_t size = tarvo_wire::GetLength(self->head_);
      if (size > tarvo_wire::kMaxFrame) return;  // closes: the peer is not speaking our protocol
      self->body_.assign(size, '\0');
      self->ReadBody();
    });
  }

  void ReadBody() {
    auto self = shared_from_this();
    asio::async_read(socket_, asio::buffer(body_), [self](std::error_code ec, size_t) {
      if (ec || *self->stopped_) return;
      self->Process();
    });
  }

  void Process() {
    json request = json::parse(body_, nullptr, false);
    Outcome outcome;
    if (!request.is_object() || !request.contains("call") || !request["call"].is_string()) {
      outcome.code = tarvo_wire::kServerError;
      outcome.message = "malformed request";
    } else {
      json args = request.contains("args") ? request["args"] : json::array();
      outcome = controller_.Handle(request["call"].get<std::string>(), args);
    }
    json reply = {{"code", outcome.code}, {"out", outcome.out}};
    if (!outcome.message.empty()) reply["message"] = outcome.message;
    reply_ = tarvo_wire::Frame(reply.dump(-1, ' ', false, json::error_handler_t::replace));
    bool drop = outcome.drop;
    if (outcome.delayMs <= 0) {
      Finish(drop);
      return;
    }
    auto self = shared_from_this();
    timer_.expires_after(std::chrono::milliseconds(outcome.delayMs));
    timer_.async_wait([self, drop](std::error_code ec) {
      if (ec || *self->stopped_) return;
      self->Finish(drop);
    });
  }

  void Finish(bool drop) {
    if (drop) {
      std::error_code ignored;
      socket_.shutdown(tcp::socket::shutdown_both, ignored);
      socket_.close(ignored);
      return;
    }
    auto self = shared_from_this();
    asio::async_write(socket_, asio::buffer(reply_), [self](std::error_code ec, size_t) {
      if (ec || *self->stopped_) return;
      self->ReadHead();
    });
  }

  tcp::socket socket_;
  asio::steady_timer timer_;
  Controller& controller_;
  std::shared_ptr<bool> stopped_;
  unsigned char head_[4] = {};
  std::string body_;
  std::string reply_;
};

}  // namespace

Server::Server(asio::io_context& io, Controller& controller)
    : io_(io), controller_(controller), acceptor_(io), stopped_(std::make_shared<bool>(false)) {}

bool Server::Listen(const std::string& address, int port, std::string& error) {
  std::error_code ec;
  asio::ip::address ip = asio::ip::make_address(address, ec);
  if (ec) {
    error = "not an IP address: " + address;
    return false;
  }
  tcp::endpoint endpoint(ip, static_cast<unsigned short>(port));
  acceptor_.open(endpoint.protocol(), ec);
  if (!ec) acceptor_.set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + ec.message();
    return false;
  }
  Accept();
  return true;
}

int Server::Port() const { return acceptor_.local_endpoint().port(); }

void Server::Stop() {
  *stopped_ = true;
  std::error_code ignored;
  acceptor_.close(ignored);
  io_.stop();
}

void Server::Accept() {
  acceptor_.async_accept([this](std::error_code ec, tcp::socket socket) {
    if (*stopped_) return;
    if (!ec) {
      socket.set_option(tcp::no_delay(true), ec);
      std::make_shared<Session>(std::move(socket), controller_, stopped_)->Start();
    }
    Accept();
  });
}

}  // namespace emu
